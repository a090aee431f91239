// The route through the railway network: the origin and destination found by name, the
// shortest path between them along railway=rail ways (main and branch lines before sidings and
// yards), or a route relation's ways in order; then lengthened past both ends along the track.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "import/osm_extract.h"

namespace scenario::import {

// Bad input that ends the import: one line, and the exit status it asks for.
struct ImportError : std::runtime_error {
  ImportError(const std::string& line, int status) : std::runtime_error(line), status(status) {}
  int status;
};

// A path along the track: points[i] to points[i + 1] lies on ways[way_of[i]].
struct RailPath {
  std::vector<GeoPoint> points;
  std::vector<int64_t> nodes;
  std::vector<size_t> way_of;
  // Metres of track added before the first and after the last point of the path proper.
  double lead = 0, runout = 0;
};

// The distance in metres between two near points (a local equirectangular figure, good to a
// thousandth over a few tens of kilometres: for choosing among paths and places, never for a
// position that is written).
double near_distance(GeoPoint a, GeoPoint b);

// The station, halt or stop of that name (case and accents of the UTF-8 name aside). Throws
// ImportError (status 1) naming the nearest names when there is none.
const RailNode& find_station(const OsmExtract& osm, const std::string& name);

// The shortest path from the track nearest from to the track nearest to. Throws ImportError
// (status 1) when no railway connects them.
RailPath shortest_path(const OsmExtract& osm, GeoPoint from, GeoPoint to);

// The relation's ways chained end to end. Throws ImportError when the relation is missing,
// holds no track, or its ways do not meet.
RailPath relation_path(const OsmExtract& osm, int64_t relation);

// Lengthens the path along the track, the straightest way on at each junction: up to back
// metres before its start and forward metres after its end, less where the mapped track ends.
void extend_path(const OsmExtract& osm, RailPath& path, double back, double forward);

// The path's length, by near_distance.
double near_length(const RailPath& path);

}  // namespace scenario::import

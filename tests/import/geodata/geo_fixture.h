// Test helper: real files from a generated alignment. The alignment's plane is put on the
// earth by an inverse transverse Mercator, the track written as an OSM file (XML or PBF through
// libosmium's writer) with its stations, marks, crossings, signals, tunnels and bridges, and the
// terrain as elevation rasters (GeoTIFF and SRTM .hgt through GDAL).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "import/geodata/projection.h"
#include "support/alignment_generator.h"

namespace scenario::testing {

using Tag = std::pair<std::string, std::string>;

struct TestNode {
  int64_t id = 0;
  import::GeoPoint at;
  std::vector<Tag> tags;
};
struct TestWay {
  int64_t id = 0;
  std::vector<int64_t> nodes;
  std::vector<Tag> tags;
};
struct TestRelation {
  int64_t id = 0;
  std::vector<int64_t> ways;
  std::vector<Tag> tags;
};

// An OSM document to write; the format from the file name's suffix (.osm, .osm.pbf, .osm.bz2..).
struct TestMap {
  std::vector<TestNode> nodes;
  std::vector<TestWay> ways;
  std::vector<TestRelation> relations;
  int64_t next_id = 1;
  int64_t add_node(import::GeoPoint at, std::vector<Tag> tags = {});
  void write(const std::string& path) const;
};

// Where the generated plane lies on the earth: its origin at (lat0, lon0), y to the north.
struct PlaneOnEarth {
  double lat0 = 44.5, lon0 = 11.5;
  import::GeoPoint geo(PlanePoint p) const;
  PlanePoint plane(import::GeoPoint g) const;
};

struct LineMapOptions {
  bool siding = true;         // a siding beside the main line, joined at both ends
  bool other_network = true;  // a line of its own, not joined, with the station ALTROVE
  int64_t relation_id = 900;  // a route relation over the main line's ways
};

// The line and what the test knows of it.
struct LineMap {
  TestMap map;
  // The line's maxspeed from a true distance on, in km/h.
  std::vector<std::pair<double, int>> speeds;
  std::string origin, destination;  // the first and the last station's names
};
LineMap line_map(const GeneratedAlignment& a, const PlaneOnEarth& where,
                 const LineMapOptions& o = {});

// The terrain over the box around the track from the share from to the share to of its length,
// as a GeoTIFF of cell arc-seconds, or as the SRTM3 tile that holds the track's start (name it
// as SRTM does: "N44E011.hgt").
void write_geotiff(const GeneratedAlignment& a, const PlaneOnEarth& where, const std::string& path,
                   double from = 0, double to = 1, double cell = 1);
void write_hgt(const GeneratedAlignment& a, const PlaneOnEarth& where, const std::string& dir_path);

}  // namespace scenario::testing

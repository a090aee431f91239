// Reading an OSM file (XML, PBF or o5m, compressed or not) through libosmium, keeping only what
// the import needs: the railway ways, the nodes of those ways' locations, the railway places
// and one route relation's member ways.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "import/osm_extract.h"

namespace scenario::import {

// The file could not be read as OSM data; what() is one line naming the file.
struct NotOsmData : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads path in two passes: ways and relations first, then only the nodes those ways need and
// the tagged railway nodes, so that a national extract is held as its railway alone.
// relation 0 asks for none.
OsmExtract read_osm(const std::string& path, int64_t relation = 0);

}  // namespace scenario::import

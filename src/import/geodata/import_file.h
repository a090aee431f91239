// The whole import of one OSM file with its elevation rasters: read, find the route, project,
// sample, and build the two sources (src/import/line_import.h).
#pragma once

#include <string>
#include <vector>

#include "import/line_import.h"

namespace scenario::import {

// Throws ImportError (one line, with its exit status) for input no source can be made of.
ImportResult import_file(const std::string& osm_file, const std::vector<std::string>& dem_files,
                         const ImportSettings& settings);

}  // namespace scenario::import

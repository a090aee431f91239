// From a path through the OSM railway to the two sources of the line: every row derived from
// the mapped track, its places and tags, and the elevation along it, with a report of where each
// row came from, what was assumed and how well each fit holds. No map format and no projection
// here: the caller supplies them (src/import/geodata/).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "decompile/recovered_sources.h"
#include "import/alignment_fit.h"
#include "import/osm_extract.h"
#include "import/osm_tags.h"
#include "import/railway_path.h"

namespace scenario::import {

// What the caller knows of the earth.
struct Surveyor {
  // To metres on a conformal projection whose scale is close to 1 along the route.
  std::function<PlanePoint(GeoPoint)> project;
  // The distance on the ellipsoid.
  std::function<double(GeoPoint, GeoPoint)> distance;
  // The ground's elevation, nothing where no model covers the point; an empty function when no
  // model was given.
  std::function<std::optional<double>(GeoPoint)> elevation;
};

struct ImportSettings {
  std::string from, to;  // station names; empty with a relation
  int64_t relation = 0;
  std::vector<std::string> stops;      // empty: every station
  int32_t start = (6 * 60 + 55) * 60;  // the origin's departure, seconds after midnight
  double allowance = 7;                // per cent of the fastest running time
  std::string name = "Imported", train = "1";
  // The general rows, with the built-in's values.
  int32_t coaches = 7, brake_mass = 120, sand = 300;
  int32_t background = 1;
  int32_t repetition_start = 0, repetition_end = 0;  // none
};

struct ImportResult {
  decompile::LineRows line;
  decompile::TrainRows train;
  std::string line_text, train_text;  // Windows-1252, CR LF
  std::vector<std::string> warnings;  // also in the report's "assumptions"
  CurveFit curves;                    // the plan's fit, in the caller's metres
  nlohmann::json report;
};

// The run-out the built-in line keeps past its destination, metres.
inline constexpr double kRunOut = 4500;
// Track taken before the origin, where there is any, so that its station area lies on the line.
inline constexpr double kLead = 300;

// Builds both sources. Throws ImportError for input no source can be made of (the route too
// long for the reader, a station off every track, sources that would not compile).
ImportResult import_line(const OsmExtract& osm, const RailPath& path, const Surveyor& earth,
                         const ImportSettings& settings);

}  // namespace scenario::import

#include "import/geodata/import_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "import/geodata/elevation.h"
#include "import/geodata/osm_reader.h"
#include "import/geodata/projection.h"

namespace scenario::import {

ImportResult import_file(const std::string& osm_file, const std::vector<std::string>& dem_files,
                         const ImportSettings& settings) {
  struct stat st;
  if (::stat(osm_file.c_str(), &st) != 0)
    throw ImportError(osm_file + ": " + std::strerror(errno), 1);
  if (!S_ISREG(st.st_mode)) throw ImportError(osm_file + ": not a regular file", 1);
  // The rasters are opened first: a wrong one is told before the long read of the map.
  ElevationModel dem;
  for (const std::string& f : dem_files) {
    try {
      dem.add(f);
    } catch (const ElevationError& e) {
      throw ImportError(e.what(), 1);
    }
  }
  OsmExtract osm;
  try {
    osm = read_osm(osm_file, settings.relation);
  } catch (const NotOsmData& e) {
    throw ImportError(e.what(), 1);
  }
  if (osm.ways.empty()) throw ImportError(osm_file + ": no railway track in the file", 1);

  RailPath path;
  if (settings.relation != 0) {
    path = relation_path(osm, settings.relation);
  } else {
    const RailNode& from = find_station(osm, settings.from);
    const RailNode& to = find_station(osm, settings.to);
    path = shortest_path(osm, from.at, to.at);
  }
  // Stop early on a route the reader cannot hold, before the fits' work.
  if (near_length(path) > 1'050'000) {
    throw ImportError("the route is " + std::to_string(std::lround(near_length(path) / 1000)) +
                          " km long, longer than the reader's 1,000 km",
                      1);
  }
  extend_path(osm, path, kLead, kRunOut + 500);

  double lon = 0;
  for (const GeoPoint& p : path.points) lon += p.lon / path.points.size();
  const Projection projection(lon);
  Surveyor earth;
  earth.project = [&](GeoPoint p) { return projection.forward(p); };
  earth.distance = ellipsoid_distance;
  if (!dem.empty()) earth.elevation = [&](GeoPoint p) { return dem.at(p); };
  return import_line(osm, path, earth, settings);
}

}  // namespace scenario::import

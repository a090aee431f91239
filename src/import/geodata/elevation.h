// Elevation from digital elevation models through GDAL: any raster it reads (SRTM .hgt,
// GeoTIFF, ...), several tiles at once, in any coordinate system GDAL knows; bilinear between
// the four nearest cells.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "import/osm_extract.h"

namespace scenario::import {

struct ElevationError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class ElevationModel {
 public:
  ElevationModel();
  ~ElevationModel();
  ElevationModel(const ElevationModel&) = delete;
  ElevationModel& operator=(const ElevationModel&) = delete;

  // Opens one raster; throws ElevationError (one line naming the file) when GDAL cannot read
  // it or it has no coordinate system.
  void add(const std::string& path);
  // The elevation in metres at p from the first raster whose four cells around p all hold a
  // value; nothing outside every raster's coverage or on a cell of no data.
  std::optional<double> at(GeoPoint p) const;
  bool empty() const { return tiles_.empty(); }

 private:
  struct Tile;
  std::vector<std::unique_ptr<Tile>> tiles_;
};

}  // namespace scenario::import

#include "import/geodata/elevation.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <mutex>

namespace scenario::import {

struct ElevationModel::Tile {
  GDALDataset* dataset = nullptr;
  GDALRasterBand* band = nullptr;
  double transform[6] = {};
  double inverse[6] = {};
  double nodata = 0;
  bool has_nodata = false;
  OGRCoordinateTransformation* to_raster = nullptr;  // null when the raster is in WGS84 degrees
  ~Tile() {
    if (to_raster) OGRCoordinateTransformation::DestroyCT(to_raster);
    if (dataset) GDALClose(dataset);
  }
};

ElevationModel::ElevationModel() {
  static std::once_flag registered;
  std::call_once(registered, [] { GDALAllRegister(); });
}

ElevationModel::~ElevationModel() = default;

void ElevationModel::add(const std::string& path) {
  auto tile = std::make_unique<Tile>();
  CPLPushErrorHandler(CPLQuietErrorHandler);
  tile->dataset = GDALDataset::FromHandle(GDALOpen(path.c_str(), GA_ReadOnly));
  CPLPopErrorHandler();
  if (!tile->dataset) {
    throw ElevationError(path + ": not an elevation raster GDAL can read (" + CPLGetLastErrorMsg() +
                         ")");
  }
  if (tile->dataset->GetRasterCount() < 1 ||
      tile->dataset->GetGeoTransform(tile->transform) != CE_None ||
      !GDALInvGeoTransform(tile->transform, tile->inverse)) {
    throw ElevationError(path + ": a raster without a geographic transform");
  }
  tile->band = tile->dataset->GetRasterBand(1);
  int ok = 0;
  tile->nodata = tile->band->GetNoDataValue(&ok);
  tile->has_nodata = ok != 0;
  const OGRSpatialReference* srs = tile->dataset->GetSpatialRef();
  if (!srs) throw ElevationError(path + ": a raster without a coordinate system");
  OGRSpatialReference wgs84;
  wgs84.SetWellKnownGeogCS("WGS84");
  wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  OGRSpatialReference target(*srs);
  target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  if (!target.IsSame(&wgs84)) {
    tile->to_raster = OGRCreateCoordinateTransformation(&wgs84, &target);
    if (!tile->to_raster) throw ElevationError(path + ": its coordinate system cannot be reached");
  }
  tiles_.push_back(std::move(tile));
}

std::optional<double> ElevationModel::at(GeoPoint p) const {
  for (const auto& t : tiles_) {
    double x = p.lon, y = p.lat;
    if (t->to_raster && !t->to_raster->Transform(1, &x, &y)) continue;
    double col = 0, row = 0;
    GDALApplyGeoTransform(const_cast<double*>(t->inverse), x, y, &col, &row);
    // Cell centres sit at half a cell; bilinear between the four around the point.
    col -= 0.5;
    row -= 0.5;
    const double c0 = std::floor(col), r0 = std::floor(row);
    if (c0 < 0 || r0 < 0 || c0 + 1 >= t->band->GetXSize() || r0 + 1 >= t->band->GetYSize()) {
      continue;
    }
    double cells[4];
    if (t->band->RasterIO(GF_Read, static_cast<int>(c0), static_cast<int>(r0), 2, 2, cells, 2, 2,
                          GDT_Float64, 0, 0) != CE_None) {
      continue;
    }
    bool valid = true;
    for (double v : cells) {
      if (std::isnan(v) || (t->has_nodata && v == t->nodata) || v < -1000) valid = false;
    }
    if (!valid) continue;
    const double fc = col - c0, fr = row - r0;
    return (cells[0] * (1 - fc) + cells[1] * fc) * (1 - fr) +
           (cells[2] * (1 - fc) + cells[3] * fc) * fr;
  }
  return std::nullopt;
}

}  // namespace scenario::import

#include "import/geodata/projection.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/TransverseMercator.hpp>

namespace scenario::import {
namespace {

// On WGS84 with scale 1 on the central meridian: within a route's few tens of kilometres of
// its meridian the scale stays within 1 + 3e-5.
const GeographicLib::TransverseMercator& tm() {
  static const GeographicLib::TransverseMercator t(GeographicLib::Constants::WGS84_a(),
                                                   GeographicLib::Constants::WGS84_f(), 1.0);
  return t;
}

}  // namespace

Projection::Projection(double lon0) : lon0_(lon0) {}
Projection::~Projection() = default;

PlanePoint Projection::forward(GeoPoint p) const {
  PlanePoint out;
  tm().Forward(lon0_, p.lat, p.lon, out.x, out.y);
  return out;
}

GeoPoint Projection::inverse(PlanePoint p) const {
  GeoPoint out;
  tm().Reverse(lon0_, p.x, p.y, out.lat, out.lon);
  return out;
}

double Projection::scale(GeoPoint p) const {
  double x, y, gamma, k;
  tm().Forward(lon0_, p.lat, p.lon, x, y, gamma, k);
  return k;
}

double ellipsoid_distance(GeoPoint a, GeoPoint b) {
  double s12 = 0;
  GeographicLib::Geodesic::WGS84().Inverse(a.lat, a.lon, b.lat, b.lon, s12);
  return s12;
}

}  // namespace scenario::import

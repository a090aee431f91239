// Projection of geographic positions to metres: GeographicLib's transverse Mercator on the
// route's own meridian (scale 1 there), and distances on the WGS84 ellipsoid.
#pragma once

#include <memory>

#include "import/alignment_fit.h"
#include "import/osm_extract.h"

namespace scenario::import {

class Projection {
 public:
  // The meridian through lon0 (degrees).
  explicit Projection(double lon0);
  ~Projection();
  PlanePoint forward(GeoPoint p) const;
  GeoPoint inverse(PlanePoint p) const;
  // The point scale: a projected length divided by the true one, near p.
  double scale(GeoPoint p) const;
  double meridian() const { return lon0_; }

 private:
  double lon0_;
};

// The geodesic distance between two points on the WGS84 ellipsoid, in metres.
double ellipsoid_distance(GeoPoint a, GeoPoint b);

}  // namespace scenario::import

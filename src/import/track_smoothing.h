// The mapped track resampled at a fixed spacing and smoothed: the points, their distance along
// the input polyline and along the smoothed track, and the heading at each.
#pragma once

#include <vector>

#include "import/alignment_fit.h"

namespace scenario {

struct SmoothedTrack {
  std::vector<PlanePoint> points;
  std::vector<double> path_distance;   // along the input polyline, metres
  std::vector<double> track_distance;  // along the smoothed points, metres
  // Azimuth of the track at each point, radians clockwise from north (+y), unwrapped so that
  // it runs on continuously: a right curve makes it grow.
  std::vector<double> heading;
};

// Resamples path every step metres of its own length (the last sample at its end) and smooths
// the samples with a Gaussian of sigma metres along it; the ends are reflected through the end
// points, which keeps a straight end straight. Throws std::invalid_argument for fewer than two
// distinct points or a non-finite coordinate.
SmoothedTrack smooth_track(const std::vector<PlanePoint>& path, double step, double sigma);

}  // namespace scenario

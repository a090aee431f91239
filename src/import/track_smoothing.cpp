#include "import/track_smoothing.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace scenario {

SmoothedTrack smooth_track(const std::vector<PlanePoint>& path, double step, double sigma) {
  std::vector<PlanePoint> nodes;
  std::vector<double> along;
  nodes.reserve(path.size());
  along.reserve(path.size());
  for (const PlanePoint& p : path) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
      throw std::invalid_argument("a point of the track is not a finite coordinate");
    }
    if (!nodes.empty()) {
      const double d = std::hypot(p.x - nodes.back().x, p.y - nodes.back().y);
      if (d < 1e-6) continue;  // a node mapped twice
      along.push_back(along.back() + d);
    } else {
      along.push_back(0);
    }
    nodes.push_back(p);
  }
  if (nodes.size() < 2) throw std::invalid_argument("the track has fewer than two distinct points");
  if (!(step > 0) || !(sigma >= 0)) throw std::invalid_argument("bad smoothing options");

  // Samples at an even spacing that ends exactly at the end of the path.
  const double length = along.back();
  const size_t intervals = std::max<size_t>(2, static_cast<size_t>(std::ceil(length / step)));
  const double h = length / static_cast<double>(intervals);
  const size_t n = intervals + 1;
  std::vector<PlanePoint> raw(n);
  SmoothedTrack out;
  out.path_distance.resize(n);
  size_t seg = 0;
  for (size_t i = 0; i < n; ++i) {
    const double s = i + 1 == n ? length : h * static_cast<double>(i);
    while (seg + 2 < nodes.size() && along[seg + 1] < s) ++seg;
    const double span = along[seg + 1] - along[seg];
    const double f = std::clamp((s - along[seg]) / span, 0.0, 1.0);
    raw[i] = {nodes[seg].x + f * (nodes[seg + 1].x - nodes[seg].x),
              nodes[seg].y + f * (nodes[seg + 1].y - nodes[seg].y)};
    out.path_distance[i] = s;
  }

  // Gaussian smoothing along the samples; beyond an end, the samples reflected through it.
  const auto sample = [&](int64_t i) -> PlanePoint {
    const int64_t last = static_cast<int64_t>(n) - 1;
    if (i < 0) {
      const PlanePoint& m = raw[static_cast<size_t>(std::min(-i, last))];
      return {2 * raw[0].x - m.x, 2 * raw[0].y - m.y};
    }
    if (i > last) {
      const PlanePoint& m = raw[static_cast<size_t>(std::max<int64_t>(2 * last - i, 0))];
      return {2 * raw[last].x - m.x, 2 * raw[last].y - m.y};
    }
    return raw[static_cast<size_t>(i)];
  };
  const double sig = sigma / h;
  const int radius = static_cast<int>(std::ceil(3 * sig));
  std::vector<double> w(radius + 1);
  double total = 0;
  for (int k = 0; k <= radius; ++k) {
    w[k] = sig > 0 ? std::exp(-0.5 * k * k / (sig * sig)) : (k == 0 ? 1.0 : 0.0);
    total += k == 0 ? w[k] : 2 * w[k];
  }
  out.points.resize(n);
  for (size_t i = 0; i < n; ++i) {
    const int64_t c = static_cast<int64_t>(i);
    double x = w[0] * raw[i].x, y = w[0] * raw[i].y;
    for (int k = 1; k <= radius; ++k) {
      const PlanePoint a = sample(c - k), b = sample(c + k);
      x += w[k] * (a.x + b.x);
      y += w[k] * (a.y + b.y);
    }
    out.points[i] = {x / total, y / total};
  }
  // The ends are the mapped ends: the reflection keeps them in place.
  out.points.front() = raw.front();
  out.points.back() = raw.back();

  out.track_distance.resize(n);
  out.track_distance[0] = 0;
  for (size_t i = 1; i < n; ++i) {
    out.track_distance[i] =
        out.track_distance[i - 1] +
        std::hypot(out.points[i].x - out.points[i - 1].x, out.points[i].y - out.points[i - 1].y);
  }
  out.heading.resize(n);
  double previous = 0;
  for (size_t i = 0; i < n; ++i) {
    const size_t a = i == 0 ? 0 : i - 1;
    const size_t b = i + 1 == n ? i : i + 1;
    double az = std::atan2(out.points[b].x - out.points[a].x, out.points[b].y - out.points[a].y);
    if (i > 0) {
      // Unwrapped: the nearest turn of the azimuth to the one before.
      az += 2 * std::numbers::pi * std::round((previous - az) / (2 * std::numbers::pi));
    }
    out.heading[i] = previous = az;
  }
  return out;
}

}  // namespace scenario

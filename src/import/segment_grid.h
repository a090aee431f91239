// The segments of a polyline bucketed in a square grid, for the distance from any point to it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "import/alignment_fit.h"

namespace scenario {

inline constexpr double kGridCell = 100;  // metres

// The segments of a polyline, bucketed by the grid cells their bounding boxes touch.
class SegmentGrid {
 public:
  explicit SegmentGrid(const std::vector<PlanePoint>& line) : line_(line) {
    for (size_t i = 0; i + 1 < line.size(); ++i) {
      const int64_t x0 = cell(std::min(line[i].x, line[i + 1].x));
      const int64_t x1 = cell(std::max(line[i].x, line[i + 1].x));
      const int64_t y0 = cell(std::min(line[i].y, line[i + 1].y));
      const int64_t y1 = cell(std::max(line[i].y, line[i + 1].y));
      for (int64_t x = x0; x <= x1; ++x) {
        for (int64_t y = y0; y <= y1; ++y) cells_[key(x, y)].push_back(static_cast<uint32_t>(i));
      }
    }
  }

  // Distance from p to the nearest segment: rings of cells outward until no nearer segment can
  // lie beyond them.
  double nearest(PlanePoint p, double limit = 1e12) const {
    if (line_.size() == 1) return std::hypot(p.x - line_[0].x, p.y - line_[0].y);
    const int64_t cx = cell(p.x), cy = cell(p.y);
    double best = 1e300;
    for (int64_t r = 0;; ++r) {
      for (int64_t x = cx - r; x <= cx + r; ++x) {
        for (int64_t y = cy - r; y <= cy + r; ++y) {
          if (std::max(std::abs(x - cx), std::abs(y - cy)) != r) continue;
          const auto it = cells_.find(key(x, y));
          if (it == cells_.end()) continue;
          for (const uint32_t s : it->second) best = std::min(best, distance(p, s));
        }
      }
      if (best <= static_cast<double>(r) * kGridCell ||
          static_cast<double>(r) * kGridCell > limit || r > 100000) {
        return std::min(best, limit);
      }
    }
  }

 private:
  static int64_t cell(double v) { return static_cast<int64_t>(std::floor(v / kGridCell)); }
  static uint64_t key(int64_t x, int64_t y) {
    return (static_cast<uint64_t>(x) << 32) ^ static_cast<uint64_t>(y & 0xFFFFFFFF);
  }
  double distance(PlanePoint p, uint32_t s) const {
    const PlanePoint a = line_[s], b = line_[s + 1];
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    const double f =
        len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - (a.x + f * dx), p.y - (a.y + f * dy));
  }

  const std::vector<PlanePoint>& line_;
  std::unordered_map<uint64_t, std::vector<uint32_t>> cells_;
};

}  // namespace scenario

// The distance between a compiled plan and a track, both ways, through a grid of the segments.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "import/alignment_fit.h"
#include "import/segment_grid.h"

namespace scenario {

PlanOffset plan_offset(const std::vector<PlanePoint>& plan, const std::vector<PlanePoint>& track) {
  PlanOffset out;
  if (plan.empty() || track.empty()) return out;
  const SegmentGrid to_track(track);
  double sum = 0;
  for (size_t i = 0; i < plan.size(); ++i) {
    const double d = to_track.nearest(plan[i]);
    sum += d;
    if (d > out.max) out.max = d, out.at = static_cast<int64_t>(i);
  }
  out.mean = sum / static_cast<double>(plan.size());
  const SegmentGrid to_plan(plan);
  const PlanePoint* worst = nullptr;
  for (const PlanePoint& p : track) {
    const double d = to_plan.nearest(p);
    if (d > out.max) out.max = d, worst = &p;
  }
  if (worst != nullptr) {
    // The plan point nearest the worst track point names the place.
    double kd = 1e300;
    for (size_t i = 0; i < plan.size(); ++i) {
      const double e = std::hypot(plan[i].x - worst->x, plan[i].y - worst->y);
      if (e < kd) kd = e, out.at = static_cast<int64_t>(i);
    }
  }
  return out;
}

}  // namespace scenario

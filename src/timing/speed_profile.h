// The speed limit along the route, and the limit that binds the head of a train of some length.
#pragma once

#include <vector>

#include "timing/run_input.h"

namespace scenario::timing {

// A limit over [from, to) metres.
struct LimitRun {
  double from = 0, to = 0, kmh = 0;
};

// The limit at each route position, merged into runs: the block limits, lowered by the
// slowdowns and by the train's own maximum speed.
std::vector<LimitRun> route_limits(const RunInput& in, double max_speed_kmh);

// The limit for the head on each interval [grid[i], grid[i + 1]]: the lowest limit anywhere
// under the train, which stretches train_length metres behind the head. A lower limit binds from
// where the head reaches it, a higher one only once the tail has passed the point. The grid must
// ascend and hold every run boundary and every boundary plus the train length that falls inside
// it, so that each interval has one limit. Linear in the grid and the runs.
std::vector<double> head_limits(const std::vector<LimitRun>& runs, double train_length,
                                const std::vector<double>& grid);

}  // namespace scenario::timing

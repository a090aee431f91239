// The line's own kilometrage, from the progressives of the compiled files.
#pragma once

#include <vector>

#include "timing/run_input.h"

namespace scenario::timing {

// The progressive in force at a route position: the one with the latest start at or before it
// (the last listed of several with that start); null when none starts so early.
const Progressive* progressive_in_force(const std::vector<Progressive>& progressives,
                                        double position);

// The kilometre at a route position by one progressive, in metres: value - position when it
// falls along the route (direction 1), value + position otherwise; the position itself
// without one.
double kilometre_on(const Progressive* progressive, double position);

// The line's kilometre at a route position, in metres, by the progressive in force there.
double line_kilometre(const std::vector<Progressive>& progressives, double position);

}  // namespace scenario::timing

// The line's own kilometrage, from the progressives of the compiled files.
#pragma once

#include <vector>

#include "timing/run_input.h"

namespace scenario::timing {

// The line's kilometre at a route position, in metres: the progressive with the latest start
// at or before the position; the position itself when there is none.
double line_kilometre(const std::vector<Progressive>& progressives, double position);

}  // namespace scenario::timing

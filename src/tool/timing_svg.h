// Drawing a fastest run as one SVG, as plot draws: speed against distance, time against distance.
#pragma once

#include <string>

#include "timing/running_time.h"

namespace scenario::tool {

// The speed diagram (the route's limit as a step line, the fastest run, the stations) above the
// time diagram (the timetable's scheduled points and the fastest run's line); the distance axis
// of both carries the route position and the line's kilometre.
std::string render_timing_svg(const timing::RunResult& r, const timing::RunInput& in,
                              const std::string& title);

}  // namespace scenario::tool

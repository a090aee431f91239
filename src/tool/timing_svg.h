// Drawing a run as one SVG, as plot draws: speed against distance, time against distance.
#pragma once

#include <string>

#include "timing/running_time.h"

namespace scenario::tool {

// The speed diagram (the route's limit as a step line, the run with its coasting marked, the
// stations) above the time diagram (the timetable's scheduled points and the run's line); the
// distance axis of both carries the route position and the line's kilometre. The energy of the
// run heads the page. A timetable run is drawn over the fastest run when one is given.
std::string render_timing_svg(const timing::RunResult& r, const timing::RunInput& in,
                              const timing::TrainModel& model, const std::string& title,
                              const timing::RunResult* fastest = nullptr);

}  // namespace scenario::tool

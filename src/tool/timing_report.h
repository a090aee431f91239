// What scenario-tool timing prints of a run: the table, the JSON object, and the lines that
// name the sections the train cannot keep.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "timing/running_time.h"

namespace scenario::tool {

// Seconds after midnight as h:mm:ss, rounded to the second.
std::string clock_of(double seconds);

// The stations in route order, then the sections with their margins.
std::string timing_table(const timing::RunResult& r, const timing::TrainModel& model,
                         const std::string& title);

// model, stations, sections and profile, in metres, km/h and seconds after midnight.
nlohmann::json timing_json(const timing::RunResult& r, const timing::TrainModel& model,
                           double step);

// "FILE: section A - B: scheduled 4.0 min, fastest 4.6 min" for each section that cannot be kept.
std::vector<std::string> infeasible_lines(const timing::RunResult& r, const std::string& file);

}  // namespace scenario::tool

// What scenario-tool timing prints of a run: the table, the JSON object, and the lines that
// name the sections the train cannot keep.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "timing/running_time.h"

namespace scenario::tool {

// Seconds after midnight as h:mm:ss, rounded to the second.
std::string clock_of(double seconds);

// The stations in route order with the run's times, the sections with their margins, then
// each section's energy and the whole run's.
std::string timing_table(const timing::RunResult& r, const timing::TrainModel& model,
                         const std::string& title);

// model, run options, stations, sections, energy and profile, in metres, km/h, seconds after
// midnight and kWh.
nlohmann::json timing_json(const timing::RunResult& r, const timing::TrainModel& model,
                           const timing::RunOptions& options);

// Joules in kWh.
double kilowatt_hours(double joules);

// The energy the pantograph draws for the traction's, in kWh; none for stock that is not
// electric.
std::optional<double> pantograph_kwh(const timing::Energy& e, const timing::TrainModel& model);

// "FILE: warning: section A - B: margin 0.5 min, below the allowance of 0.8 min" for each
// section that can be kept, but not with its standard allowance.
std::vector<std::string> tight_lines(const timing::RunResult& r, const std::string& file);

// "FILE: section A - B: scheduled 4.0 min, fastest 4.6 min" for each section that cannot be kept.
std::vector<std::string> infeasible_lines(const timing::RunResult& r, const std::string& file);

}  // namespace scenario::tool

// The options of scenario-tool timing: the shared ones, --svg, the run and its allowance, and
// the train model's values.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "timing/running_time.h"
#include "tool/scenario_options.h"

namespace scenario::tool {

struct TimingOptions {
  ScenarioOptions scenario;  // --name, --train, --json, the directory
  std::optional<std::string> svg;
  timing::TrainModel model;
  timing::RunOptions run;  // the run asked for, the allowance and the step
};

// Parses args. Throws UsageError for an unknown option, a missing or malformed value, or a
// model value that cannot be used (a mass that is not positive, a negative effort, ...).
TimingOptions parse_timing_options(const std::vector<std::string>& args);

}  // namespace scenario::tool

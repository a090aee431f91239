// The options of scenario-tool timing: the shared ones, --svg, and the train model's values.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "timing/train_model.h"
#include "tool/scenario_options.h"

namespace scenario::tool {

struct TimingOptions {
  ScenarioOptions scenario;  // --name, --train, --json, the directory
  std::optional<std::string> svg;
  timing::TrainModel model;
  double step = 0;  // metres
};

// Parses args. Throws UsageError for an unknown option, a missing or malformed value, or a
// model value that cannot be used (a mass that is not positive, a negative effort, ...).
TimingOptions parse_timing_options(const std::vector<std::string>& args);

}  // namespace scenario::tool

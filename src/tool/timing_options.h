// The options of scenario-tool timing: the shared ones, --svg, and the train model's values.
#pragma once

#include <optional>
#include <string>

#include "timing/train_model.h"
#include "tool/command_line.h"
#include "tool/scenario_options.h"

namespace scenario::tool {

struct TimingOptions {
  ScenarioOptions scenario;  // --name, --train, --json, the directory
  std::optional<std::string> svg;
  timing::TrainModel model;
  double step = 0;  // metres
};

// The command's options and operand.
CommandLine timing_command_line();

// The options of c as parsed. Throws UsageError for a malformed value or a model value that
// cannot be used (a mass that is not positive, a negative effort, ...).
TimingOptions timing_options(const CommandLine& c);

}  // namespace scenario::tool

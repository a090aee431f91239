// The options of scenario-tool timing: the shared ones, --svg, the run and its allowance, and
// the train model's values.
#pragma once

#include <optional>
#include <string>

#include "timing/running_time.h"
#include "tool/command_line.h"
#include "tool/scenario_options.h"

namespace scenario::tool {

struct TimingOptions {
  ScenarioOptions scenario;  // --name, --train, --json, the directory
  std::optional<std::string> svg;
  timing::TrainModel model;
  timing::RunOptions run;  // the run asked for, the allowance and the step
};

// The command's options and operand.
CommandLine timing_command_line();

// The options of c as parsed. Throws UsageError for a malformed value or a model value that
// cannot be used (a mass that is not positive, a negative effort, ...).
TimingOptions timing_options(const CommandLine& c);

}  // namespace scenario::tool

// The train model's options, shared by the commands that compute a run (timing, documents).
#pragma once

#include <string>

#include "timing/train_model.h"
#include "tool/command_line.h"

namespace scenario::tool {

// The model and the integration step that the options give.
struct ModelChoice {
  timing::TrainModel model;
  double step = 0;  // metres
};

// The value of flag as one finite decimal number. Throws UsageError naming flag otherwise.
double option_number(const std::string& flag, const std::string& text);
// The same, from min to max. Throws UsageError naming flag and the bounds otherwise.
double option_number(const std::string& flag, const std::string& text, double min, double max);

// Declares the model options and --step, under "model options" in c's --help.
void declare_model_options(CommandLine& c);

// The model and step of c's parsed options, the defaults where none is given. Throws
// UsageError for a malformed value or a model value that cannot be used (a mass that is not
// positive, a negative effort, ...).
ModelChoice model_options(const CommandLine& c);

}  // namespace scenario::tool

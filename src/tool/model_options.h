// The train model's options, shared by the commands that compute a run (timing, documents).
#pragma once

#include <string>
#include <vector>

#include "timing/train_model.h"

namespace scenario::tool {

// The value of flag as one finite decimal number. Throws UsageError naming flag otherwise.
double option_number(const std::string& flag, const std::string& text);

// The model options as the usage text lists them, one per line.
extern const char* const kModelUsage;

// Takes the model options (and --step) out of args into model and step, and returns the other
// arguments in their order. Throws UsageError for a missing or malformed value, or a model
// value that cannot be used (a mass that is not positive, a negative effort, ...).
std::vector<std::string> take_model_options(const std::vector<std::string>& args,
                                            timing::TrainModel& model, double& step);

}  // namespace scenario::tool

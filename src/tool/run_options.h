// The options that choose the run and the allowance it is judged against, shared by the
// commands that compute a run (timing, documents).
#pragma once

#include <string>
#include <vector>

#include "timing/running_time.h"

namespace scenario::tool {

// The run option (and with allowances the allowance options) as the usage text lists them.
std::string run_usage(bool allowances, const char* default_run);

// Takes --run (and with allowances --allowance and --allowance-per-100km) out of args into o,
// and returns the other arguments in their order. Throws UsageError for a missing or malformed
// value.
std::vector<std::string> take_run_options(const std::vector<std::string>& args,
                                          timing::RunOptions& o, bool allowances);

// The name of a run as the options and the outputs write it: fastest, linear, eco.
const char* run_name(timing::RunKind kind);

}  // namespace scenario::tool

// The options that choose the run and the allowance it is judged against, shared by the
// commands that compute a run (timing, documents).
#pragma once

#include "timing/running_time.h"
#include "tool/command_line.h"

namespace scenario::tool {

// Declares --run (default default_run) and, with allowances, --allowance and
// --allowance-per-100km, under "run options" in c's --help.
void declare_run_options(CommandLine& c, bool allowances, timing::RunKind default_run);

// The run options of c as parsed, the defaults where none is given (the step is left as o has
// it). Throws UsageError for a malformed value.
void run_options(const CommandLine& c, timing::RunOptions& o, timing::RunKind default_run);

// The name of a run as the options and the outputs write it: fastest, linear, eco.
const char* run_name(timing::RunKind kind);

}  // namespace scenario::tool

// scenario-tool fmt: rewrites sources into the emitter's column forms, or tells which would change.
#pragma once

#include <string>
#include <vector>

#include "tool/command_line.h"

namespace scenario::tool {

// The command's options and operands.
CommandLine fmt_command_line();
int fmt_command(const std::vector<std::string>& args);

}  // namespace scenario::tool

// scenario-tool emit: writes the built-in scenario's text files, a starting point for authors.
#pragma once

#include <string>
#include <vector>

#include "tool/command_line.h"

namespace scenario::tool {

// The command's operand.
CommandLine emit_command_line();
int emit_command(const std::vector<std::string>& args);

}  // namespace scenario::tool

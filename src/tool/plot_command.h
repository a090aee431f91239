// scenario-tool plot: draws a compiled scenario (plan and route profiles) as one SVG file.
#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "tool/command_line.h"

namespace scenario::tool {

// The command's options and operand.
CommandLine plot_command_line();

// Exit status: 0 written, 1 a compiled file is missing or damaged or the SVG cannot be
// written, 2 usage error.
int plot_command(const std::vector<std::string>& args, std::ostream& err = std::cerr);

}  // namespace scenario::tool

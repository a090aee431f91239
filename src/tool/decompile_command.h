// scenario-tool decompile: recovers a scenario's two sources from its three compiled files.
#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "tool/command_line.h"

namespace scenario::tool {

// The command's options and operand.
CommandLine decompile_command_line();

// Exit status: 0 written, 1 a file is missing, damaged or from no clean compile (nothing is
// written), 2 usage error.
int decompile_command(const std::vector<std::string>& args, std::ostream& err = std::cerr);

}  // namespace scenario::tool

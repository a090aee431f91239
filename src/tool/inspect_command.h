// scenario-tool inspect: shows what a compiled file holds, as text or as JSON.
#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "tool/command_line.h"

namespace scenario::tool {

// The command's options and operands.
CommandLine inspect_command_line();

// Prints each file in turn; with --json, one JSON object per file, in the order given. A file
// that cannot be read or decoded gets one line on err and does not stop the others.
// Exit status: 0 all files decoded, 1 a file is missing or damaged, 2 usage error.
int inspect_command(const std::vector<std::string>& args, std::ostream& out = std::cout,
                    std::ostream& err = std::cerr);

}  // namespace scenario::tool

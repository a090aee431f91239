// scenario-tool import: the two sources of a line from OpenStreetMap and elevation data. The
// work is scenario-import's, a program beside the tool that carries the geodata libraries;
// the tool declares the command line (for its overview) and hands the arguments over.
#pragma once

#include <string>
#include <vector>

#include "tool/command_line.h"

namespace scenario::tool {

// The command's options and operand, shared by the tool and scenario-import.
CommandLine import_command_line();

// Runs scenario-import from the tool's own directory with args, and returns its exit status;
// 2, with one line, when it is not there or cannot be run.
int import_command(const std::vector<std::string>& args);

}  // namespace scenario::tool

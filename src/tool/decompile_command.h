// scenario-tool decompile: recovers a scenario's two sources from its three compiled files.
#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "tool/command_line.h"

namespace scenario::tool {

// The command's options and operand.
CommandLine decompile_command_line();

// Where a source of this path is written: the path itself when nothing stands there, and with
// force the file it names, through a link as fmt writes. Anything else at the path (an
// author's source unforced, a link to nothing, a folder or a device) is refused with a
// std::runtime_error of one line, before a single file is written.
std::string source_target(const std::string& path, bool force);

// Exit status: 0 written, 1 a file is missing, damaged or from no clean compile (nothing is
// written), 2 usage error.
int decompile_command(const std::vector<std::string>& args, std::ostream& err = std::cerr);

}  // namespace scenario::tool

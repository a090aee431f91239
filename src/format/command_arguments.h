// The command line as the program holds its paths: bytes on POSIX; on Windows the wide
// command line in UTF-8, so that a file name beyond the console's code page arrives whole.
#pragma once

#include <string>
#include <vector>

namespace scenario {

std::vector<std::string> command_arguments(int argc, char** argv);

}  // namespace scenario

// The directory that holds the running executable, where the one-scenario build writes.
#pragma once

#include <string>

namespace scenario {

// Throws FileError when the system cannot say where the executable is.
std::string program_directory();

}  // namespace scenario

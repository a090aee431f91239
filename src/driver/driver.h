// The one-scenario build: identity, waiting label, emitters, route compiler.
#pragma once

#include <string>

namespace scenario {

// The directory that holds the running executable.
std::string program_directory();

// Runs the whole build in the program's directory; returns the process exit status.
int run_scenario_build();

}  // namespace scenario

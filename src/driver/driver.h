// The one-scenario build: identity, waiting label, emitters, route compiler.
#pragma once

#include <string>

namespace scenario {

// Runs the whole build of the built-in scenario in directory, holding its lock (a build already
// running there is waited for): 0 clean, 1 an errore (printed), 3 a nonzero status (printed with
// its row). Throws FileError.
int build_scenario_in(const std::string& directory);

// Runs the whole build in the program's directory; returns the process exit status.
int run_scenario_build();

}  // namespace scenario

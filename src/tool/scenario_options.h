// The options that the scenario commands share: --name, --train, -o, --json, the warning options
// and one directory.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace scenario::tool {

struct ScenarioOptions {
  std::optional<std::string> name;
  std::optional<std::string> train;
  std::optional<std::string> output;  // -o, only where the command takes it
  bool json = false;
  std::set<std::string> no_warn;  // --no-warn=NAME: warnings not to report
  bool werror = false;            // --werror: warnings count as faults for the exit status
  std::string directory;
};

// What a command accepts beyond --name and --train, and how its usage line calls the directory.
struct AcceptedOptions {
  bool output = false;
  bool json = false;
  bool warnings = false;  // --no-warn=NAME (repeatable) and --werror
  const char* directory = "SRCDIR";
};

// Parses args. Throws UsageError for an option the command does not accept, a missing value,
// a warning name that no warning has, a second directory or none.
ScenarioOptions parse_scenario_options(const std::vector<std::string>& args,
                                       const AcceptedOptions& accepted);

}  // namespace scenario::tool

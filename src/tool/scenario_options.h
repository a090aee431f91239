// The options that the scenario commands share: --name, --train, -o, --json, the warning options
// and one directory.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "tool/command_line.h"

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

// Declares --name and --train, which every scenario command takes first.
void declare_identity_options(CommandLine& c);
// Declares --no-warn NAME (again and again) and --werror.
void declare_warning_options(CommandLine& c);

// The shared options that c declares, as parsed, and its operand called directory. Throws
// UsageError for a warning name that no warning has or an empty -o.
ScenarioOptions scenario_options(const CommandLine& c, const std::string& directory);

}  // namespace scenario::tool

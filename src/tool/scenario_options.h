// The options that the scenario commands share: --name, --train, -o, --json and one directory.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace scenario::tool {

struct ScenarioOptions {
  std::optional<std::string> name;
  std::optional<std::string> train;
  std::optional<std::string> output;  // -o, only where the command takes it
  bool json = false;
  std::string directory;
};

// Parses args; takes -o only when with_output is set. Throws UsageError.
ScenarioOptions parse_scenario_options(const std::vector<std::string>& args, bool with_output);

}  // namespace scenario::tool

#include "tool/scenario_options.h"

#include "source/status_codes.h"
#include "tool/scenario_identity.h"

namespace scenario::tool {
namespace {

std::string warning_name(const std::string& name) {
  if (find_warning(name) != nullptr) return name;
  std::string known;
  for (const WarningInfo& w : warning_infos())
    known += (known.empty() ? "" : ", ") + std::string(w.name);
  throw UsageError{"no warning is called '" + name + "'; the warnings are " + known};
}

}  // namespace

void declare_identity_options(CommandLine& c) {
  c.option("--name", "NAME", "the scenario's name (default: found from the files)");
  c.option("--train", "NUMBER", "the train number (default: found from the files)");
}

void declare_warning_options(CommandLine& c) {
  c.repeatable("--no-warn", "NAME", "do not report the warning NAME");
  c.flag("--werror", "warnings count as faults for the exit status (3)");
}

ScenarioOptions scenario_options(const CommandLine& c, const std::string& directory) {
  ScenarioOptions o;
  o.name = c.value("--name");
  o.train = c.value("--train");
  o.output = c.value("--output");
  if (o.output && o.output->empty()) throw UsageError{"-o needs a path, not an empty one"};
  o.json = c.given("--json");
  for (const std::string& w : c.values("--no-warn")) o.no_warn.insert(warning_name(w));
  o.werror = c.given("--werror");
  o.directory = c.value(directory).value_or("");
  return o;
}

}  // namespace scenario::tool

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

ScenarioOptions parse_scenario_options(const std::vector<std::string>& args,
                                       const AcceptedOptions& accepted) {
  ScenarioOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) throw UsageError{a + " needs a value"};
      return args[++i];
    };
    if (a == "--name") {
      o.name = value();
    } else if (a == "--train") {
      o.train = value();
    } else if (accepted.output && (a == "-o" || a == "--output")) {
      o.output = value();
    } else if (accepted.json && a == "--json") {
      o.json = true;
    } else if (accepted.warnings && a == "--no-warn") {
      o.no_warn.insert(warning_name(value()));
    } else if (accepted.warnings && a.rfind("--no-warn=", 0) == 0) {
      o.no_warn.insert(warning_name(a.substr(10)));
    } else if (accepted.warnings && a == "--werror") {
      o.werror = true;
    } else if (!a.empty() && a[0] == '-') {
      throw UsageError{"unknown option '" + a + "'"};
    } else if (o.directory.empty()) {
      o.directory = a;
    } else {
      throw UsageError{"more than one " + std::string(accepted.directory) + " given"};
    }
  }
  if (o.directory.empty()) throw UsageError{std::string(accepted.directory) + " is missing"};
  return o;
}

}  // namespace scenario::tool

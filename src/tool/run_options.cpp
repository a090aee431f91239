#include "tool/run_options.h"

#include <cstdio>

#include "tool/model_options.h"
#include "tool/scenario_identity.h"

namespace scenario::tool {
namespace {

constexpr timing::RunKind kKinds[] = {timing::RunKind::kFastest, timing::RunKind::kLinear,
                                      timing::RunKind::kEco};

std::string shortest(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

}  // namespace

const char* run_name(timing::RunKind kind) {
  switch (kind) {
    case timing::RunKind::kLinear:
      return "linear";
    case timing::RunKind::kEco:
      return "eco";
    case timing::RunKind::kFastest:
      break;
  }
  return "fastest";
}

void declare_run_options(CommandLine& c, bool allowances, timing::RunKind default_run) {
  const timing::RunOptions defaults;
  c.group("run options (defaults in brackets)", "run options");
  c.option("--run", "KIND",
           std::string("fastest, linear (slowed evenly) or eco (coasting) (") +
               run_name(default_run) + ")");
  if (allowances) {
    c.option("--allowance", "PERCENT",
             "the standard allowance, per cent of the fastest running time (" +
                 shortest(defaults.allowance_percent) + ")");
    c.option("--allowance-per-100km", "MIN",
             "and minutes per 100 km of the section (" +
                 shortest(defaults.allowance_per_100km_min) + ")");
  }
  c.group("", "");
}

void run_options(const CommandLine& c, timing::RunOptions& o, timing::RunKind default_run) {
  o.kind = default_run;
  if (auto v = c.value("--run")) {
    bool known = false;
    for (timing::RunKind k : kKinds) {
      if (*v == run_name(k)) o.kind = k, known = true;
    }
    if (!known) throw UsageError{"--run needs fastest, linear or eco, not '" + *v + "'"};
  }
  const auto not_negative = [&](const char* flag, double& into) {
    const auto v = c.value(flag);
    if (!v) return;
    into = option_number(flag, *v);
    if (into < 0) throw UsageError{std::string(flag) + " must be 0 or more, not '" + *v + "'"};
  };
  not_negative("--allowance", o.allowance_percent);
  not_negative("--allowance-per-100km", o.allowance_per_100km_min);
}

}  // namespace scenario::tool

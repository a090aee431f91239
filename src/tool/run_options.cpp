#include "tool/run_options.h"

#include <cstdio>

#include "tool/model_options.h"
#include "tool/scenario_identity.h"

namespace scenario::tool {
namespace {

// An allowance of the whole running time again, or of an hour per 100 km, at most.
constexpr double kAllowancePercentMax = 100;
constexpr double kAllowancePer100kmMax = 60;

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
             "the standard allowance, per cent of the fastest running time, 0 to " +
                 shortest(kAllowancePercentMax) + " (" + shortest(defaults.allowance_percent) +
                 ")");
    c.option("--allowance-per-100km", "MIN",
             "and minutes per 100 km of the section, 0 to " + shortest(kAllowancePer100kmMax) +
                 " (" + shortest(defaults.allowance_per_100km_min) + ")");
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
  // Bounded, so that the time a run is given stays finite.
  const auto bounded = [&](const char* flag, double max, double& into) {
    if (const auto v = c.value(flag)) into = option_number(flag, *v, 0, max);
  };
  bounded("--allowance", kAllowancePercentMax, o.allowance_percent);
  bounded("--allowance-per-100km", kAllowancePer100kmMax, o.allowance_per_100km_min);
}

}  // namespace scenario::tool

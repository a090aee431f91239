#include "tool/run_options.h"

#include "tool/model_options.h"
#include "tool/scenario_identity.h"

namespace scenario::tool {
namespace {

constexpr timing::RunKind kKinds[] = {timing::RunKind::kFastest, timing::RunKind::kLinear,
                                      timing::RunKind::kEco};

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

std::string run_usage(bool allowances, const char* default_run) {
  std::string s = std::string(
                      "  --run KIND          fastest, linear (the margin spent by slowing down "
                      "evenly)\n"
                      "                      or eco (cruising lower and coasting) (") +
                  default_run + ")\n";
  if (allowances) {
    s += "  --allowance PERCENT the standard allowance, per cent of the fastest running time (7)\n"
         "  --allowance-per-100km MIN\n"
         "                      and minutes per 100 km of the section (0)\n";
  }
  return s;
}

std::vector<std::string> take_run_options(const std::vector<std::string>& args,
                                          timing::RunOptions& o, bool allowances) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) throw UsageError{a + " needs a value"};
      return args[++i];
    };
    const auto not_negative = [&](const std::string& text) {
      const double v = option_number(a, text);
      if (v < 0) throw UsageError{a + " must be 0 or more, not '" + text + "'"};
      return v;
    };
    if (a == "--run") {
      const std::string v = value();
      bool known = false;
      for (timing::RunKind k : kKinds) {
        if (v == run_name(k)) o.kind = k, known = true;
      }
      if (!known) throw UsageError{"--run needs fastest, linear or eco, not '" + v + "'"};
    } else if (allowances && a == "--allowance") {
      o.allowance_percent = not_negative(value());
    } else if (allowances && a == "--allowance-per-100km") {
      o.allowance_per_100km_min = not_negative(value());
    } else {
      rest.push_back(a);
    }
  }
  return rest;
}

}  // namespace scenario::tool

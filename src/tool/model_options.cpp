#include "tool/model_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "timing/running_time.h"
#include "tool/scenario_identity.h"

namespace scenario::tool {
namespace {

// One option that sets one value of the model; its default is the model's own.
struct ModelOption {
  const char* flag;
  const char* metavar;
  const char* help;
  double timing::TrainModel::*field;
};

constexpr ModelOption kModelOptions[] = {
    {"--loco-mass", "T", "locomotive mass", &timing::TrainModel::loco_mass_t},
    {"--loco-length", "M", "locomotive length", &timing::TrainModel::loco_length_m},
    {"--max-effort", "KN", "maximum tractive effort at the rail",
     &timing::TrainModel::max_effort_kn},
    {"--power", "KW", "power at the rail", &timing::TrainModel::power_kw},
    {"--coach-mass", "T", "mass of one coach", &timing::TrainModel::coach_mass_t},
    {"--coach-length", "M", "length of one coach", &timing::TrainModel::coach_length_m},
    {"--rotating-mass", "F", "rotating-mass factor", &timing::TrainModel::rotating_mass_factor},
    {"--brake-rate", "MS2", "full-brake deceleration per 100 % of brake mass",
     &timing::TrainModel::full_brake_per_100},
    {"--service-brake", "F", "service braking as a fraction of a full application",
     &timing::TrainModel::service_brake_fraction},
    {"--brake-build-up", "S", "seconds over which the brake rises to its service rate",
     &timing::TrainModel::brake_build_up_s},
    {"--max-speed", "KMH", "the train's own maximum speed", &timing::TrainModel::max_speed_kmh},
    {"--efficiency", "F", "pantograph to rail, for the energy drawn",
     &timing::TrainModel::traction_efficiency},
};

std::string shortest(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

}  // namespace

double option_number(const std::string& flag, const std::string& text) {
  // The whole text must be one finite decimal number.
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v)) {
    throw UsageError{flag + " needs a number, not '" + text + "'"};
  }
  return v;
}

void declare_model_options(CommandLine& c) {
  const timing::TrainModel defaults;
  c.group("model options (defaults in brackets)", "model options");
  std::string names;
  for (const timing::StockPreset& p : timing::stock_presets()) {
    names += std::string(names.empty() ? "" : ", ") + p.name;
  }
  c.option("--stock", "NAME",
           "the train's values from a preset, " + names + " (" +
               timing::stock_presets().front().name + "); the options below change them");
  std::string coach_names;
  for (const timing::CoachType& t : timing::coach_types()) {
    coach_names += std::string(coach_names.empty() ? "" : "|") + t.name;
  }
  c.option("--coach-type", coach_names,
           "the coaches' mass and length from a kind of coach (--coach-mass and --coach-length "
           "change them)");
  for (const ModelOption& m : kModelOptions) {
    c.option(m.flag, m.metavar, std::string(m.help) + " (" + shortest(defaults.*(m.field)) + ")");
  }
  c.option("--resistance", "A,B,C",
           "running resistance A + B*v + C*v^2, N/kN, v in km/h (" +
               shortest(defaults.resistance_a) + "," + shortest(defaults.resistance_b) + "," +
               shortest(defaults.resistance_c) + ")");
  c.option("--coaches", "N", "number of coaches (the scenario's)");
  c.option(
      "--dwell", "S",
      "minimum dwell at every stop (the station's own, else " + shortest(defaults.dwell_s) + ")");
  c.option("--step", "M", "integration step (" + shortest(timing::kDefaultStep) + ")");
  c.group("", "");
}

ModelChoice model_options(const CommandLine& c) {
  ModelChoice m;
  m.step = timing::kDefaultStep;
  if (auto v = c.value("--stock")) {
    const timing::StockPreset* found = nullptr;
    std::string names;
    for (const timing::StockPreset& p : timing::stock_presets()) {
      if (*v == p.name) found = &p;
      names += std::string(names.empty() ? "" : ", ") + p.name;
    }
    if (!found) throw UsageError{"--stock needs one of " + names + ", not '" + *v + "'"};
    m.model = found->model;
  }
  if (auto v = c.value("--coach-type")) {
    const timing::CoachType* found = nullptr;
    std::string names;
    for (const timing::CoachType& t : timing::coach_types()) {
      if (*v == t.name) found = &t;
      names += std::string(names.empty() ? "" : ", ") + t.name;
    }
    if (!found) throw UsageError{"--coach-type needs one of " + names + ", not '" + *v + "'"};
    m.model.coach_mass_t = found->mass_t;
    m.model.coach_length_m = found->length_m;
  }
  for (const ModelOption& o : kModelOptions) {
    if (auto v = c.value(o.flag)) m.model.*(o.field) = option_number(o.flag, *v);
  }
  if (auto v = c.value("--resistance")) {
    const size_t c1 = v->find(','), c2 = c1 == std::string::npos ? c1 : v->find(',', c1 + 1);
    if (c2 == std::string::npos) throw UsageError{"--resistance needs A,B,C, not '" + *v + "'"};
    m.model.resistance_a = option_number("--resistance", v->substr(0, c1));
    m.model.resistance_b = option_number("--resistance", v->substr(c1 + 1, c2 - c1 - 1));
    m.model.resistance_c = option_number("--resistance", v->substr(c2 + 1));
  }
  if (auto v = c.value("--coaches")) {
    const double n = option_number("--coaches", *v);
    if (n != std::floor(n) || n < 0 || n > 99) {
      throw UsageError{"--coaches needs a whole number from 0 to 99, not '" + *v + "'"};
    }
    m.model.coaches = static_cast<int>(n);
  }
  if (auto v = c.value("--dwell")) {
    m.model.dwell_s = option_number("--dwell", *v);
    m.model.use_station_dwell = false;
  }
  if (auto v = c.value("--step")) {
    m.step = option_number("--step", *v);
    if (!(m.step > 0 && m.step <= 50)) throw UsageError{"--step must be above 0 and at most 50"};
  }
  if (auto problem = timing::model_problem(m.model)) throw UsageError(*problem);
  return m;
}

}  // namespace scenario::tool

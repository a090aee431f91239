#include "tool/model_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "timing/running_time.h"
#include "tool/scenario_identity.h"

namespace scenario::tool {
namespace {

// One option that sets one value of the model; its default is the model's own. The bounds
// keep every result of a run finite and the values those of a train: a speed of 1e-300 km/h
// or a brake rate of 1e308 m/s2 passes as a number but leaves times and rates infinite.
struct ModelOption {
  const char* flag;
  const char* metavar;
  const char* help;
  double timing::TrainModel::*field;
  double min, max;
};

constexpr ModelOption kModelOptions[] = {
    {"--loco-mass", "T", "locomotive mass", &timing::TrainModel::loco_mass_t, 1, 1000},
    {"--loco-length", "M", "locomotive length", &timing::TrainModel::loco_length_m, 1, 100},
    {"--max-effort", "KN", "maximum tractive effort at the rail",
     &timing::TrainModel::max_effort_kn, 1, 2000},
    {"--power", "KW", "power at the rail", &timing::TrainModel::power_kw, 10, 50000},
    {"--coach-mass", "T", "mass of one coach", &timing::TrainModel::coach_mass_t, 1, 200},
    {"--coach-length", "M", "length of one coach", &timing::TrainModel::coach_length_m, 1, 100},
    {"--rotating-mass", "F", "rotating-mass factor", &timing::TrainModel::rotating_mass_factor, 1,
     2},
    {"--brake-rate", "MS2", "full-brake deceleration per 100 % of brake mass",
     &timing::TrainModel::full_brake_per_100, 0.05, 5},
    {"--service-brake", "F", "service braking as a fraction of a full application",
     &timing::TrainModel::service_brake_fraction, 0.05, 1},
    {"--brake-build-up", "S", "seconds over which the brake rises to its service rate",
     &timing::TrainModel::brake_build_up_s, 0, 60},
    {"--max-speed", "KMH", "the train's own maximum speed", &timing::TrainModel::max_speed_kmh, 5,
     500},
    {"--efficiency", "F", "pantograph to rail, for the energy drawn",
     &timing::TrainModel::traction_efficiency, 0.05, 1},
};

// Each of the running resistance's three terms; the dwell, a day at most.
constexpr double kResistanceMax = 100;
constexpr double kDwellMax = 86400;

std::string shortest(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

// ", MIN to MAX (DEFAULT)": how --help states an option's bounds and default.
std::string bounds(double min, double max, const std::string& fallback) {
  return ", " + shortest(min) + " to " + shortest(max) + " (" + fallback + ")";
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

double option_number(const std::string& flag, const std::string& text, double min, double max) {
  const double v = option_number(flag, text);
  if (!(v >= min && v <= max)) {
    throw UsageError{flag + " must be from " + shortest(min) + " to " + shortest(max) + ", not " +
                     text};
  }
  return v;
}

void declare_model_options(CommandLine& c) {
  const timing::TrainModel defaults;
  c.group("model options (bounds, and the default in brackets)", "model options");
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
    c.option(m.flag, m.metavar,
             std::string(m.help) + bounds(m.min, m.max, shortest(defaults.*(m.field))));
  }
  c.option("--resistance", "A,B,C",
           "running resistance A + B*v + C*v^2 in N/kN, v in km/h, each term" +
               bounds(0, kResistanceMax,
                      shortest(defaults.resistance_a) + "," + shortest(defaults.resistance_b) +
                          "," + shortest(defaults.resistance_c)));
  c.option("--coaches", "N", "number of coaches" + bounds(0, 99, "the scenario's"));
  c.option("--dwell", "S",
           "minimum dwell at every stop" +
               bounds(0, kDwellMax, "the station's own, else " + shortest(defaults.dwell_s)));
  c.option("--step", "M",
           "integration step" +
               bounds(timing::kMinStep, timing::kBlockMetres, shortest(timing::kDefaultStep)));
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
    if (auto v = c.value(o.flag)) m.model.*(o.field) = option_number(o.flag, *v, o.min, o.max);
  }
  if (auto v = c.value("--resistance")) {
    const size_t c1 = v->find(','), c2 = c1 == std::string::npos ? c1 : v->find(',', c1 + 1);
    if (c2 == std::string::npos) throw UsageError{"--resistance needs A,B,C, not '" + *v + "'"};
    const auto term = [&](std::string text) {
      return option_number("--resistance", text, 0, kResistanceMax);
    };
    m.model.resistance_a = term(v->substr(0, c1));
    m.model.resistance_b = term(v->substr(c1 + 1, c2 - c1 - 1));
    m.model.resistance_c = term(v->substr(c2 + 1));
  }
  if (auto v = c.value("--coaches")) {
    const double n = option_number("--coaches", *v);
    if (n != std::floor(n) || n < 0 || n > 99) {
      throw UsageError{"--coaches needs a whole number from 0 to 99, not '" + *v + "'"};
    }
    m.model.coaches = static_cast<int>(n);
  }
  if (auto v = c.value("--dwell")) {
    m.model.dwell_s = option_number("--dwell", *v, 0, kDwellMax);
    m.model.use_station_dwell = false;
  }
  if (auto v = c.value("--step")) {
    // The floor bounds the run's memory: about 50 bytes a point.
    m.step = option_number("--step", *v, timing::kMinStep, timing::kBlockMetres);
  }
  if (auto problem = timing::model_problem(m.model)) throw UsageError(*problem);
  return m;
}

}  // namespace scenario::tool

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
    {"--max-speed", "KMH", "the train's own maximum speed", &timing::TrainModel::max_speed_kmh, 5,
     500},
    {"--dwell", "S", "minimum dwell at every stop, in place of the station's own",
     &timing::TrainModel::dwell_s, 0, 86400},
};

// Each of the running resistance's three terms.
constexpr double kResistanceMax = 100;

std::string shortest(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

// The whole text must be one decimal number from min to max.
double number(const std::string& flag, const std::string& text, double min, double max) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v)) {
    throw UsageError{flag + " needs a number, not '" + text + "'"};
  }
  if (!(v >= min && v <= max)) {
    throw UsageError{flag + " must be from " + shortest(min) + " to " + shortest(max) + ", not " +
                     text};
  }
  return v;
}

}  // namespace

void declare_model_options(CommandLine& c) {
  const timing::TrainModel defaults;
  c.group("model options (bounds, and the default in brackets)", "model options");
  for (const ModelOption& m : kModelOptions) {
    const std::string fallback =
        m.field == &timing::TrainModel::dwell_s ? "the station's own, else " : "";
    c.option(m.flag, m.metavar,
             std::string(m.help) + ", " + shortest(m.min) + " to " + shortest(m.max) + " (" +
                 fallback + shortest(defaults.*(m.field)) + ")");
  }
  c.option("--resistance", "A,B,C",
           "running resistance A + B*v + C*v^2 in N/kN, v in km/h, each 0 to " +
               shortest(kResistanceMax) + " (" + shortest(defaults.resistance_a) + "," +
               shortest(defaults.resistance_b) + "," + shortest(defaults.resistance_c) + ")");
  c.option("--step", "M",
           "integration step, " + shortest(timing::kMinStep) + " to " +
               shortest(timing::kBlockMetres) + " (" + shortest(timing::kDefaultStep) + ")");
  c.group("", "");
}

ModelChoice model_options(const CommandLine& c) {
  ModelChoice m;
  m.step = timing::kDefaultStep;
  for (const ModelOption& o : kModelOptions) {
    if (auto v = c.value(o.flag)) m.model.*(o.field) = number(o.flag, *v, o.min, o.max);
  }
  // A dwell given applies at every stop, the stations' own included.
  if (c.given("--dwell")) m.model.use_station_dwell = false;
  if (auto v = c.value("--resistance")) {
    const size_t c1 = v->find(','), c2 = c1 == std::string::npos ? c1 : v->find(',', c1 + 1);
    if (c2 == std::string::npos) throw UsageError{"--resistance needs A,B,C, not '" + *v + "'"};
    m.model.resistance_a = number("--resistance", v->substr(0, c1), 0, kResistanceMax);
    m.model.resistance_b =
        number("--resistance", v->substr(c1 + 1, c2 - c1 - 1), 0, kResistanceMax);
    m.model.resistance_c = number("--resistance", v->substr(c2 + 1), 0, kResistanceMax);
  }
  if (auto v = c.value("--step")) {
    m.step = number("--step", *v, timing::kMinStep, timing::kBlockMetres);
  }
  if (auto problem = timing::model_problem(m.model)) throw UsageError(*problem);
  return m;
}

}  // namespace scenario::tool

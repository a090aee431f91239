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
    {"--max-speed", "KMH", "the train's own maximum speed", &timing::TrainModel::max_speed_kmh},
};

std::string shortest(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

// The whole text must be one finite decimal number.
double number(const std::string& flag, const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v)) {
    throw UsageError{flag + " needs a number, not '" + text + "'"};
  }
  return v;
}

}  // namespace

void declare_model_options(CommandLine& c) {
  const timing::TrainModel defaults;
  c.group("model options (defaults in brackets)", "model options");
  for (const ModelOption& m : kModelOptions) {
    c.option(m.flag, m.metavar, std::string(m.help) + " (" + shortest(defaults.*(m.field)) + ")");
  }
  c.option("--resistance", "A,B,C",
           "running resistance A + B*v + C*v^2, N/kN, v in km/h (" +
               shortest(defaults.resistance_a) + "," + shortest(defaults.resistance_b) + "," +
               shortest(defaults.resistance_c) + ")");
  c.option(
      "--dwell", "S",
      "minimum dwell at every stop (the station's own, else " + shortest(defaults.dwell_s) + ")");
  c.option("--step", "M", "integration step (" + shortest(timing::kDefaultStep) + ")");
  c.group("", "");
}

ModelChoice model_options(const CommandLine& c) {
  ModelChoice m;
  m.step = timing::kDefaultStep;
  for (const ModelOption& o : kModelOptions) {
    if (auto v = c.value(o.flag)) m.model.*(o.field) = number(o.flag, *v);
  }
  if (auto v = c.value("--resistance")) {
    const size_t c1 = v->find(','), c2 = c1 == std::string::npos ? c1 : v->find(',', c1 + 1);
    if (c2 == std::string::npos) throw UsageError{"--resistance needs A,B,C, not '" + *v + "'"};
    m.model.resistance_a = number("--resistance", v->substr(0, c1));
    m.model.resistance_b = number("--resistance", v->substr(c1 + 1, c2 - c1 - 1));
    m.model.resistance_c = number("--resistance", v->substr(c2 + 1));
  }
  if (auto v = c.value("--dwell")) {
    m.model.dwell_s = number("--dwell", *v);
    m.model.use_station_dwell = false;
  }
  if (auto v = c.value("--step")) {
    m.step = number("--step", *v);
    if (!(m.step > 0 && m.step <= 50)) throw UsageError{"--step must be above 0 and at most 50"};
  }
  if (auto problem = timing::model_problem(m.model)) throw UsageError(*problem);
  return m;
}

}  // namespace scenario::tool

#include "tool/model_options.h"

#include <cmath>
#include <cstdlib>

#include "timing/running_time.h"
#include "tool/scenario_identity.h"

namespace scenario::tool {
namespace {

struct ModelOption {
  const char* flag;
  double timing::TrainModel::*field;
};

constexpr ModelOption kModelOptions[] = {
    {"--loco-mass", &timing::TrainModel::loco_mass_t},
    {"--loco-length", &timing::TrainModel::loco_length_m},
    {"--max-effort", &timing::TrainModel::max_effort_kn},
    {"--power", &timing::TrainModel::power_kw},
    {"--coach-mass", &timing::TrainModel::coach_mass_t},
    {"--coach-length", &timing::TrainModel::coach_length_m},
    {"--rotating-mass", &timing::TrainModel::rotating_mass_factor},
    {"--brake-rate", &timing::TrainModel::full_brake_per_100},
    {"--service-brake", &timing::TrainModel::service_brake_fraction},
    {"--max-speed", &timing::TrainModel::max_speed_kmh},
    {"--efficiency", &timing::TrainModel::traction_efficiency},
};

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

const char* const kModelUsage =
    "  --loco-mass T       locomotive mass (72)\n"
    "  --loco-length M     locomotive length (16)\n"
    "  --max-effort KN     maximum tractive effort at the rail (200)\n"
    "  --power KW          power at the rail (3000)\n"
    "  --coach-mass T      mass of one coach (40)\n"
    "  --coach-length M    length of one coach (26.4)\n"
    "  --rotating-mass F   rotating-mass factor (1.06)\n"
    "  --resistance A,B,C  running resistance A + B*v + C*v^2, N/kN, v in km/h "
    "(2,0.0025,0.0002)\n"
    "  --brake-rate MS2    full-brake deceleration per 100 % of brake mass (0.66)\n"
    "  --service-brake F   service braking as a fraction of a full application (0.6)\n"
    "  --max-speed KMH     the train's own maximum speed (160)\n"
    "  --coaches N         number of coaches (default: the scenario's)\n"
    "  --efficiency F      pantograph to rail, for the energy drawn (0.85)\n"
    "  --dwell S           minimum dwell at every stop (default: the station's own, else 30)\n"
    "  --step M            integration step (10)\n";

std::vector<std::string> take_model_options(const std::vector<std::string>& args,
                                            timing::TrainModel& model, double& step) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) throw UsageError{a + " needs a value"};
      return args[++i];
    };
    const ModelOption* option = nullptr;
    for (const ModelOption& m : kModelOptions) {
      if (a == m.flag) option = &m;
    }
    if (option) {
      model.*(option->field) = option_number(a, value());
    } else if (a == "--resistance") {
      const std::string v = value();
      const size_t c1 = v.find(','), c2 = c1 == std::string::npos ? c1 : v.find(',', c1 + 1);
      if (c2 == std::string::npos) throw UsageError{"--resistance needs A,B,C, not '" + v + "'"};
      model.resistance_a = option_number(a, v.substr(0, c1));
      model.resistance_b = option_number(a, v.substr(c1 + 1, c2 - c1 - 1));
      model.resistance_c = option_number(a, v.substr(c2 + 1));
    } else if (a == "--coaches") {
      const std::string v = value();
      const double n = option_number(a, v);
      if (n != std::floor(n) || n < 0 || n > 99) {
        throw UsageError{"--coaches needs a whole number from 0 to 99, not '" + v + "'"};
      }
      model.coaches = static_cast<int>(n);
    } else if (a == "--dwell") {
      model.dwell_s = option_number(a, value());
      model.use_station_dwell = false;
    } else if (a == "--step") {
      step = option_number(a, value());
      if (!(step > 0 && step <= 50)) throw UsageError{"--step must be above 0 and at most 50"};
    } else {
      rest.push_back(a);
    }
  }
  if (auto problem = timing::model_problem(model)) throw UsageError(*problem);
  return rest;
}

}  // namespace scenario::tool

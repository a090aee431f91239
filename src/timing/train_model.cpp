#include "timing/train_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scenario::timing {
namespace {

struct Rule {
  const char* name;
  double value;
  bool ok;
  const char* expected;
};

}  // namespace

std::optional<std::string> model_problem(const TrainModel& m) {
  const Rule rules[] = {
      {"locomotive mass", m.loco_mass_t, m.loco_mass_t > 0, "above 0"},
      {"locomotive length", m.loco_length_m, m.loco_length_m > 0, "above 0"},
      {"maximum effort", m.max_effort_kn, m.max_effort_kn > 0, "above 0"},
      {"power", m.power_kw, m.power_kw > 0, "above 0"},
      {"coach mass", m.coach_mass_t, m.coach_mass_t > 0, "above 0"},
      {"coach length", m.coach_length_m, m.coach_length_m > 0, "above 0"},
      {"rotating-mass factor", m.rotating_mass_factor, m.rotating_mass_factor >= 1, "1 or more"},
      {"resistance a", m.resistance_a, m.resistance_a >= 0, "0 or more"},
      {"resistance b", m.resistance_b, m.resistance_b >= 0, "0 or more"},
      {"resistance c", m.resistance_c, m.resistance_c >= 0, "0 or more"},
      {"full-brake deceleration", m.full_brake_per_100, m.full_brake_per_100 > 0, "above 0"},
      {"service-brake fraction", m.service_brake_fraction,
       m.service_brake_fraction > 0 && m.service_brake_fraction <= 1, "above 0 and at most 1"},
      {"maximum speed", m.max_speed_kmh, m.max_speed_kmh > 0, "above 0"},
      {"dwell", m.dwell_s, m.dwell_s >= 0, "0 or more"},
      {"traction efficiency", m.traction_efficiency,
       m.traction_efficiency > 0 && m.traction_efficiency <= 1, "above 0 and at most 1"},
  };
  for (const Rule& r : rules) {
    // NaN fails every comparison, so it lands here too.
    if (!r.ok || !std::isfinite(r.value)) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%g", r.value);
      return std::string("the ") + r.name + " must be " + r.expected + ", not " + buf;
    }
  }
  return std::nullopt;
}

TrainPhysics::TrainPhysics(const TrainModel& m, int coaches, double brake_percent) : m_(m) {
  const double n = std::max(coaches, 0);
  mass_ = (m.loco_mass_t + n * m.coach_mass_t) * 1000;
  length_ = m.loco_length_m + n * m.coach_length_m;
  rotating_ = m.rotating_mass_factor;
  // Every axle of the locomotive is driven; the coaches carry none.
  adhesive_mass_ = (m.adhesive_mass_t > 0 ? m.adhesive_mass_t : m.loco_mass_t) * 1000;
  service_deceleration_ =
      m.service_brake_fraction * m.full_brake_per_100 * std::max(brake_percent, 0.0) / 100;
}

double TrainPhysics::tractive_effort_n(double v, double adhesion_value) const {
  const double by_effort = m_.max_effort_kn * 1000;
  const double by_power = v > 0 ? m_.power_kw * 1000 / v : std::numeric_limits<double>::infinity();
  const double by_adhesion = adhesion_coefficient(v * 3.6) * std::max(adhesion_value, 0.0) / 100 *
                             adhesive_mass_ * kGravity;
  return std::min({by_effort, by_power, by_adhesion});
}

double TrainPhysics::running_resistance_n(double v) const {
  const double kmh = v * 3.6;
  return specific_force_n(m_.resistance_a + m_.resistance_b * kmh + m_.resistance_c * kmh * kmh);
}

const std::vector<StockPreset>& stock_presets() {
  // Figures and their sources: docs/timing.md, Rolling stock.
  static const std::vector<StockPreset> presets = [] {
    std::vector<StockPreset> p;
    p.push_back({"regional", "the default: a four-axle locomotive and the scenario's coaches", {}});
    TrainModel e464;  // the scenario's coaches, of the default's mass and length
    e464.loco_mass_t = 72;
    e464.loco_length_m = 15.75;
    e464.max_effort_kn = 200;
    e464.power_kw = 3000;
    e464.max_speed_kmh = 160;
    p.push_back({"e464", "an E.464 locomotive and the scenario's coaches", e464});
    TrainModel jazz;  // a fixed five-car unit: no coaches
    jazz.loco_mass_t = 204;
    jazz.loco_length_m = 82.2;
    jazz.adhesive_mass_t = 204.0 * 4 / 12;
    jazz.max_effort_kn = 220;
    jazz.power_kw = 2052;
    jazz.max_speed_kmh = 160;
    jazz.coaches = 0;
    p.push_back({"etr425", "an ETR 425 (Jazz) five-car electric multiple unit", jazz});
    return p;
  }();
  return presets;
}

double adhesion_coefficient(double v_kmh) { return 0.161 + 7.5 / (v_kmh + 44); }

double curve_resistance(double radius_m) {
  if (!(radius_m > 0) || !std::isfinite(radius_m)) return 0;
  // Two ranges of radius, each with its own constants; below 30 m the formula means nothing, so
  // its divisor is kept at 1 m or more.
  if (radius_m >= 300) return 650 / (radius_m - 55);
  return 500 / std::max(radius_m - 30, 1.0);
}

}  // namespace scenario::timing

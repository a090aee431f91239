// The train of a running-time calculation: masses, lengths, traction, running resistance and
// braking, with defaults for a locomotive-hauled regional train (docs/timing.md says why).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace scenario::timing {

inline constexpr double kGravity = 9.81;  // m/s²

// The model's values as the author sets them; units in the names.
struct TrainModel {
  double loco_mass_t = 72;
  double loco_length_m = 16;
  double max_effort_kn = 200;  // at the rail, from standstill
  double power_kw = 3000;      // at the rail
  double coach_mass_t = 40;
  double coach_length_m = 26.4;
  double rotating_mass_factor = 1.06;
  // Running resistance r = a + b·v + c·v², in N per kN of the train's weight, v in km/h.
  double resistance_a = 2.0;
  double resistance_b = 0.0025;
  double resistance_c = 0.0002;
  // A full brake application decelerates by this much per 100 % of brake mass on the level.
  double full_brake_per_100 = 0.66;  // m/s²
  double service_brake_fraction = 0.6;
  double max_speed_kmh = 160;
  // The minimum dwell at a stop; when use_station_dwell, a station's own dwell field (when not
  // 0) takes its place.
  double dwell_s = 30;
  bool use_station_dwell = true;
  // From the supply to the rail: what the pantograph draws for each joule at the rail. Stock
  // that is not electric draws nothing from a pantograph.
  bool electric = true;
  double traction_efficiency = 0.85;
  // The number of coaches in place of the scenario's.
  std::optional<int> coaches;
  // The mass on driven axles, which the adhesion limit acts on; 0 for the locomotive's whole
  // mass (every axle of it driven, none of the coaches').
  double adhesive_mass_t = 0;
};

// A named train of public data: its model (the scenario's coaches unless it sets them).
struct StockPreset {
  const char* name;
  const char* what;
  TrainModel model;
};

// The presets, the first of them the default model.
const std::vector<StockPreset>& stock_presets();

// What is wrong with the model (a mass that is not positive, a negative effort, ...), or
// nothing when every value can be used.
std::optional<std::string> model_problem(const TrainModel& m);

// The forces of the model, for a train of a given number of coaches; SI units throughout.
class TrainPhysics {
 public:
  TrainPhysics(const TrainModel& m, int coaches, double brake_percent);

  double mass_kg() const { return mass_; }
  double length_m() const { return length_; }
  // Mass times the rotating-mass factor: what a net force accelerates.
  double inertia_kg() const { return mass_ * rotating_; }

  // The effort at the rail at speed v (m/s): the least of the maximum effort, the power's
  // hyperbola and the adhesion limit, scaled by the rail's adhesion value (100 = dry).
  double tractive_effort_n(double v, double adhesion_value) const;
  // Running resistance at speed v (m/s).
  double running_resistance_n(double v) const;
  // The force of a specific resistance r in N/kN (gradient per mille, curve resistance).
  double specific_force_n(double r) const { return r * mass_ * kGravity / 1000; }
  // Service braking on the level, m/s².
  double service_deceleration() const { return service_deceleration_; }
  // The acceleration of a coasting train at speed v (m/s) under a specific resistance r (N/kN)
  // of gradient and curves: running resistance and r, no effort.
  double coasting_acceleration(double v, double r) const {
    return -(running_resistance_n(v) + specific_force_n(r)) / inertia_kg();
  }

 private:
  TrainModel m_;
  double mass_ = 0, length_ = 0, rotating_ = 1, adhesive_mass_ = 0;
  double service_deceleration_ = 0;
};

// Adhesion coefficient of dry rail at speed v (km/h).
double adhesion_coefficient(double v_kmh);

// Curve resistance of standard gauge in N/kN for a radius in metres.
double curve_resistance(double radius_m);

}  // namespace scenario::timing

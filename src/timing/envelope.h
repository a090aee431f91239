// The integration grid of a run and the passes over it that make a speed profile: braking
// curves, acceleration curves, coasting, the running time and the energy. The fastest run and the
// timetable runs are made of these passes over the same grid.
#pragma once

#include <cstddef>
#include <vector>

#include "timing/running_time.h"
#include "timing/train_model.h"

namespace scenario::timing {

// Speeds are held squared (w = v², (m/s)²) on the grid: the passes are linear in w.
struct Track {
  const TrainPhysics* train = nullptr;
  std::vector<double> x;         // the grid, metres, ascending
  std::vector<double> ceiling;   // the highest w at each point: the head's limit, 0 at a stop
  std::vector<double> grade;     // N/kN at each point: the mean gradient under the train
  std::vector<double> curve;     // N/kN at each point: the mean curve resistance under the train
  std::vector<double> adhesion;  // per interval [x_i, x_i+1]: 100 = dry rail

  size_t size() const { return x.size(); }
  // The service deceleration over interval i, the gradient's help or hindrance included.
  double brake_deceleration(size_t i) const;
};

// Braking curves backward from `to` down to `from`: w_i ≤ w_i+1 + 2·b·Δx, so the train brakes
// in time for every lower w after it. Throws TimingError where the brake cannot hold the train.
void brake_pass(const Track& t, std::vector<double>& w, size_t from, size_t to);

// Acceleration curves forward from `from` up to `to` at full effort (Heun's step on w), each
// interval marked kPower where the effort binds and kHold where w was already lower. Throws
// TimingError where the train stalls.
void drive_pass(const Track& t, std::vector<double>& w, std::vector<Drive>& drive, size_t from,
                size_t to);

// Coasting before every braking within [from, to] that starts above brake_speed (m/s): from the
// point where the braking curve falls to brake_speed, a coasting curve backward until it meets
// the profile; the train coasts along it instead of running on and braking later.
void coast_before_braking(const Track& t, std::vector<double>& w, std::vector<Drive>& drive,
                          size_t from, size_t to, double brake_speed);

// Seconds from point from to point to: exact for a constant acceleration on each interval.
double running_time(const Track& t, const std::vector<double>& w, size_t from, size_t to);

// The work along [from, to]: on kPower intervals the traction is the effort's mean over the
// interval and the brake is off; elsewhere the driver gives the force that the change of speed
// asks for (next to none while coasting), as traction when positive and as braking when
// negative.
Energy energy_of(const Track& t, const std::vector<double>& w, const std::vector<Drive>& drive,
                 size_t from, size_t to);

}  // namespace scenario::timing

#include "timing/envelope.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace scenario::timing {
namespace {

std::string metres(double x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.0f m", x);
  return buf;
}

double speed(double w) { return std::sqrt(std::max(w, 0.0)); }

// Acceleration at full effort at point i for v² = w, on the adhesion of the interval being
// crossed.
double full_acceleration(const Track& t, double w, size_t i, double adhesion) {
  const TrainPhysics& train = *t.train;
  const double v = speed(w);
  const double force = train.tractive_effort_n(v, adhesion) - train.running_resistance_n(v) -
                       train.specific_force_n(t.grade[i] + t.curve[i]);
  return force / train.inertia_kg();
}

}  // namespace

double Track::brake_deceleration(size_t i) const {
  return train->service_deceleration() +
         train->specific_force_n((grade[i] + grade[i + 1]) / 2) / train->inertia_kg();
}

void brake_pass(const Track& t, std::vector<double>& w, size_t from, size_t to) {
  for (size_t i = to; i-- > from;) {
    const double dec = t.brake_deceleration(i);
    if (!(dec > 0)) {
      throw TimingError("the service brake cannot hold the train on the falling gradient at " +
                        metres(t.x[i]));
    }
    w[i] = std::min(w[i], w[i + 1] + 2 * dec * (t.x[i + 1] - t.x[i]));
  }
}

void drive_pass(const Track& t, std::vector<double>& w, std::vector<Drive>& drive, size_t from,
                size_t to) {
  for (size_t i = from; i < to; ++i) {
    const double h = t.x[i + 1] - t.x[i];
    const double adhesion = t.adhesion[i];
    const double k1 = 2 * full_acceleration(t, w[i], i, adhesion);
    const double k2 = 2 * full_acceleration(t, std::max(w[i] + h * k1, 0.0), i + 1, adhesion);
    const double reached = w[i] + h * (k1 + k2) / 2;
    if (w[i + 1] > 0 && !(reached > 0)) {
      throw TimingError("the train stalls at " + metres(t.x[i]) +
                        ": its effort does not overcome the gradient and the resistance");
    }
    if (reached < w[i + 1]) {
      w[i + 1] = reached;
      drive[i] = Drive::kPower;
    } else {
      drive[i] = Drive::kHold;
    }
  }
}

namespace {

// Walks the brakings of [from, to] backward, the last first: each run of intervals where the
// driver holds back and the speed falls (at full effort on a climb it may fall too, but that is
// no braking), handed to on_braking(top, foot) as its first and last points. on_braking may
// reshape the profile in front of the braking, and returns where the walk goes on (at most top).
template <typename OnBraking>
void each_braking_backward(const std::vector<double>& w, const std::vector<Drive>& drive,
                           size_t from, size_t to, OnBraking on_braking) {
  const auto braking = [&](size_t k) { return drive[k] == Drive::kHold && w[k + 1] < w[k]; };
  size_t i = to;
  while (i > from) {
    if (!braking(i - 1)) {
      --i;
      continue;
    }
    size_t top = i - 1;
    while (top > from && braking(top - 1)) --top;
    i = std::min(top, on_braking(top, i));
  }
}

}  // namespace

void coast_before_braking(const Track& t, std::vector<double>& w, std::vector<Drive>& drive,
                          size_t from, size_t to, double brake_speed) {
  const TrainPhysics& train = *t.train;
  const double brake_w = brake_speed * brake_speed;
  const auto coasting = [&](double cw, size_t i) {
    return 2 * train.coasting_acceleration(speed(cw), t.grade[i] + t.curve[i]);
  };
  // Backward from the end, so that a coasting phase found later on the route is in place before
  // the one in front of it meets the profile.
  each_braking_backward(w, drive, from, to, [&](size_t top, size_t foot) -> size_t {
    if (!(w[top] > brake_w)) return top;
    // Where the braking curve comes down to the brake speed the coasting ends; a braking that
    // ends above that speed is coasted whole.
    size_t end = foot;
    while (end > top && w[end - 1] <= brake_w) --end;
    // Coasting backward from there (Heun's step, reversed) until the curve meets the profile.
    std::vector<double> curve_w;
    double cw = w[end];
    size_t j = end;
    bool met = false;
    while (j > from) {
      const double h = t.x[j] - t.x[j - 1];
      const double k1 = coasting(cw, j);
      const double k2 = coasting(std::max(cw - h * k1, 0.0), j - 1);
      const double before = cw - h * (k1 + k2) / 2;
      if (!(before > 0)) break;  // a falling line speeds the coasting train up from nothing
      if (before >= w[j - 1]) {
        met = true;
        break;
      }
      curve_w.push_back(before);
      cw = before;
      --j;
    }
    if (!met) return top;
    // j is the first point on the coasting curve; the interval into it is the driver's change
    // from power or holding to coasting.
    for (size_t k = 0; k < curve_w.size(); ++k) w[end - 1 - k] = curve_w[k];
    for (size_t k = j; k < end; ++k) drive[k] = Drive::kCoast;
    drive[j - 1] = Drive::kHold;
    return j;
  });
}

namespace {

// A braking with build-up from speed v0 (m/s) at rate b (m/s²) over tb seconds: the deceleration
// rises evenly for tb, then stays at b.
struct Ramp {
  double v0, b, tb;

  // How far it runs in the first tau seconds of the build-up.
  double ramp_distance(double tau) const { return v0 * tau - b * tau * tau * tau / (6 * tb); }
  // The build-up's end: the time (earlier where the train stops within it), distance and speed.
  double ramp_end() const { return std::min(tb, std::sqrt(2 * tb * v0 / b)); }
  double ramp_speed(double tau) const { return v0 - b * tau * tau / (2 * tb); }

  // The distance from the braking's start to where the speed has fallen to v.
  double distance_to(double v) const {
    const double end = ramp_end();
    const double u = std::max(ramp_speed(end), 0.0);
    if (v >= u) return ramp_distance(std::sqrt(std::max(2 * tb * (v0 - v) / b, 0.0)));
    return ramp_distance(end) + (u * u - v * v) / (2 * b);
  }
  // The speed squared at distance d after the braking's start.
  double w_at(double d) const {
    const double end = ramp_end();
    const double d_end = ramp_distance(end);
    if (d >= d_end) {
      const double u = std::max(ramp_speed(end), 0.0);
      return std::max(u * u - 2 * b * (d - d_end), 0.0);
    }
    // The distance grows with the time while the train moves: bisection on the time.
    double lo = 0, hi = end;
    for (int k = 0; k < 60; ++k) {
      const double mid = (lo + hi) / 2;
      (ramp_distance(mid) < d ? lo : hi) = mid;
    }
    const double v = std::max(ramp_speed((lo + hi) / 2), 0.0);
    return v * v;
  }
};

}  // namespace

void build_up_pass(const Track& t, std::vector<double>& w, std::vector<Drive>& drive, size_t from,
                   size_t to) {
  if (!(t.brake_build_up > 0)) return;
  each_braking_backward(w, drive, from, to, [&](size_t top, size_t foot) -> size_t {
    if (!(w[top] > 0)) return top;
    size_t next = top;
    // The gentlest service rate along the braking, so that the ramp brakes no harder than the
    // service brake anywhere on it.
    double b = t.brake_deceleration(top);
    for (size_t k = top; k < foot; ++k) b = std::min(b, t.brake_deceleration(k));
    const Ramp ramp{speed(w[top]), b, t.brake_build_up};
    // The latest start from which the ramp stays at or below every point of the braking.
    double start = t.x[top];
    for (size_t k = top; k <= foot; ++k)
      start = std::min(start, t.x[k] - ramp.distance_to(speed(w[k])));
    for (size_t k = foot; k > from && t.x[k] >= start; --k) {
      const double rw = ramp.w_at(t.x[k] - start);
      if (rw < w[k]) {
        w[k] = rw;
        drive[k - 1] = Drive::kHold;
        next = std::min(next, k - 1);
      }
    }
    return next;
  });
}

double running_time(const Track& t, const std::vector<double>& w, size_t from, size_t to) {
  double s = 0;
  for (size_t i = from; i < to; ++i)
    s += 2 * (t.x[i + 1] - t.x[i]) / (speed(w[i]) + speed(w[i + 1]));
  return s;
}

Energy& Energy::operator+=(const Energy& e) {
  traction += e.traction;
  braking += e.braking;
  resistance += e.resistance;
  curves += e.curves;
  height += e.height;
  kinetic += e.kinetic;
  return *this;
}

Energy energy_of(const Track& t, const std::vector<double>& w, const std::vector<Drive>& drive,
                 size_t from, size_t to) {
  const TrainPhysics& train = *t.train;
  Energy e;
  for (size_t i = from; i < to; ++i) {
    const double h = t.x[i + 1] - t.x[i];
    const double v0 = speed(w[i]), v1 = speed(w[i + 1]);
    const double resistance = (train.running_resistance_n(v0) + train.running_resistance_n(v1)) / 2;
    const double curves = train.specific_force_n((t.curve[i] + t.curve[i + 1]) / 2);
    const double height = train.specific_force_n((t.grade[i] + t.grade[i + 1]) / 2);
    const double kinetic = train.inertia_kg() * (w[i + 1] - w[i]) / 2;
    e.resistance += resistance * h;
    e.curves += curves * h;
    e.height += height * h;
    e.kinetic += kinetic;
    switch (drive[i]) {
      case Drive::kPower:
        e.traction += h *
                      (train.tractive_effort_n(v0, t.adhesion[i]) +
                       train.tractive_effort_n(v1, t.adhesion[i])) /
                      2;
        break;
      case Drive::kCoast:  // no force but where a run was scaled to its time: see eco_section
      case Drive::kHold: {
        const double work = kinetic + (resistance + curves + height) * h;
        (work > 0 ? e.traction : e.braking) += std::abs(work);
        break;
      }
    }
  }
  return e;
}

}  // namespace scenario::timing

#include "timing/running_time.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "timing/kilometrage.h"

namespace scenario::timing {
namespace {

constexpr double kTolerance = 1e-6;  // metres: far below a metre, far above rounding

std::string metres(double x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.0f m", x);
  return buf;
}

// Cumulative sums of a per-metre quantity along the route, so that its mean under the train
// costs two look-ups: forces act on the train's whole length, its mass spread evenly.
class GradientSum {
 public:
  explicit GradientSum(const std::vector<double>& per_block) : grade_(per_block) {
    sum_.assign(grade_.size() + 1, 0);
    for (size_t b = 0; b < grade_.size(); ++b) sum_[b + 1] = sum_[b] + grade_[b] * kBlockMetres;
  }
  // ∫ gradient from 0 to x; outside the track the nearest block's gradient goes on.
  double at(double x) const {
    if (grade_.empty()) return 0;
    const double last = static_cast<double>(grade_.size()) * kBlockMetres;
    if (x <= 0) return grade_.front() * x;
    if (x >= last) return sum_.back() + grade_.back() * (x - last);
    const auto b = static_cast<size_t>(x / kBlockMetres);
    return sum_[b] + grade_[b] * (x - static_cast<double>(b) * kBlockMetres);
  }

 private:
  const std::vector<double>& grade_;
  std::vector<double> sum_;
};

class CurveSum {
 public:
  explicit CurveSum(const std::vector<Curve>& curves) {
    double total = 0;
    for (const Curve& c : curves) {
      if (!(c.length > 0)) continue;
      const double r = curve_resistance(c.radius);
      starts_.push_back(c.start);
      ends_.push_back(c.start + c.length);
      rate_.push_back(r);
      before_.push_back(total);
      total += r * c.length;
    }
  }
  // ∫ curve resistance from 0 to x.
  double at(double x) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), x);
    if (it == starts_.begin()) return 0;
    const size_t k = static_cast<size_t>(it - starts_.begin()) - 1;
    return before_[k] + rate_[k] * (std::min(x, ends_[k]) - starts_[k]);
  }

 private:
  std::vector<double> starts_, ends_, rate_, before_;
};

// The grid: every breakpoint, and between two of them equal steps of at most step metres.
// is_break marks the breakpoints, which the profile keeps.
void build_grid(std::vector<double> breaks, double step, std::vector<double>& grid,
                std::vector<bool>& is_break) {
  std::sort(breaks.begin(), breaks.end());
  std::vector<double> unique;
  for (double b : breaks) {
    if (unique.empty() || b - unique.back() > kTolerance) unique.push_back(b);
  }
  for (size_t k = 0; k < unique.size(); ++k) {
    grid.push_back(unique[k]);
    is_break.push_back(true);
    if (k + 1 == unique.size()) break;
    const double gap = unique[k + 1] - unique[k];
    const auto parts = static_cast<size_t>(std::ceil(gap / step - 1e-9));
    for (size_t p = 1; p < parts; ++p) {
      grid.push_back(unique[k] + gap * static_cast<double>(p) / static_cast<double>(parts));
      is_break.push_back(false);
    }
  }
}

size_t index_of(const std::vector<double>& grid, double x) {
  return static_cast<size_t>(std::lower_bound(grid.begin(), grid.end(), x - kTolerance) -
                             grid.begin());
}

}  // namespace

RunResult compute_run(const RunInput& in, const TrainModel& model, double step) {
  if (auto problem = model_problem(model)) throw TimingError(*problem);
  if (!(step >= kMinStep) || !(step <= kBlockMetres)) {
    throw TimingError("the integration step must be from 0.1 to 50 m");
  }
  if (in.stations.empty()) throw TimingError("the scenario has no station");
  const TrainPhysics train(model, in.coaches, in.brake_percent);
  if (!(train.service_deceleration() > 0)) {
    char percent[32];
    std::snprintf(percent, sizeof percent, "%g", in.brake_percent);
    throw TimingError(std::string("the brake-mass percentage is ") + percent +
                      ": the train has no brake to stop with");
  }

  RunResult r;
  r.mass_t = train.mass_kg() / 1000;
  r.length_m = train.length_m();
  r.service_deceleration = train.service_deceleration();
  r.limits = route_limits(in, model.max_speed_kmh);

  // Stations, and which of them the train stops at.
  const size_t last = in.stations.size() - 1;
  for (size_t k = 0; k <= last; ++k) {
    const RunStation& s = in.stations[k];
    StationTimes t;
    t.name = s.name;
    t.position = static_cast<double>(s.position);
    t.km = line_kilometre(in.progressives, t.position);
    t.stops = k == 0 || k == last || s.scheduled.has_value();
    t.stop = static_cast<double>(t.stops ? s.stop : s.position);
    if (k != 0 && k != last && t.stops) {
      t.dwell = model.use_station_dwell && s.dwell_field > 0 ? s.dwell_field : model.dwell_s;
    }
    if (s.scheduled) {
      (k == last && k != 0 ? t.scheduled_arrival : t.scheduled_departure) = *s.scheduled;
    }
    r.stations.push_back(t);
  }
  const double x0 = r.stations.front().stop, x_end = r.stations.back().stop;
  const double track_end = static_cast<double>(in.limit_kmh.size()) * kBlockMetres;
  const StationTimes* previous = nullptr;
  for (const StationTimes& s : r.stations) {
    if (!s.stops) continue;
    if (s.stop < 0 || s.stop > track_end) {
      throw TimingError("the stop of " + s.name + " at " + metres(s.stop) +
                        " lies outside the track (0 to " + metres(track_end) + ")");
    }
    if (previous && s.stop <= previous->stop) {
      throw TimingError("the stop of " + s.name + " at " + metres(s.stop) +
                        " does not lie beyond the stop of " + previous->name + " at " +
                        metres(previous->stop));
    }
    previous = &s;
  }
  r.start = in.stations.front().scheduled.value_or(in.start_clock);
  r.stations.front().fastest_departure = r.start;
  if (last == 0) {
    r.profile.push_back({x0, 0, r.start});
    return r;
  }

  // The grid holds every block boundary, every limit boundary and where the tail passes it,
  // every stop and every station, so that limits and stations fall on its points.
  const double length = train.length_m();
  std::vector<double> breaks{x0, x_end};
  for (double x = std::ceil(x0 / kBlockMetres) * kBlockMetres; x < x_end; x += kBlockMetres) {
    breaks.push_back(x);
  }
  const auto inside = [&](double x) { return x > x0 && x < x_end; };
  for (const LimitRun& run : r.limits) {
    for (double x : {run.from, run.to, run.to + length}) {
      if (inside(x)) breaks.push_back(x);
    }
  }
  for (const StationTimes& s : r.stations) {
    if (inside(s.stop)) breaks.push_back(s.stop);
    if (inside(s.position)) breaks.push_back(s.position);
  }
  std::vector<double> grid;
  std::vector<bool> is_break;
  build_grid(std::move(breaks), step, grid, is_break);
  const size_t n = grid.size();

  const std::vector<double> limit = head_limits(r.limits, length, grid);
  for (size_t j = 0; j + 1 < n; ++j) {
    if (!(limit[j] > 0)) {
      throw TimingError("the speed limit is 0 km/h at " + metres(grid[j]) +
                        ": the train cannot pass");
    }
  }
  std::vector<bool> stop_here(n, false);
  for (const StationTimes& s : r.stations) {
    if (s.stops) stop_here[index_of(grid, s.stop)] = true;
  }

  // What acts on the train at each point: mean gradient and curve resistance under its length.
  const GradientSum gradient(in.gradient);
  const CurveSum curves(in.curves);
  std::vector<double> grade(n), curve(n);
  for (size_t i = 0; i < n; ++i) {
    grade[i] = (gradient.at(grid[i]) - gradient.at(grid[i] - length)) / length;
    curve[i] = (curves.at(grid[i]) - curves.at(grid[i] - length)) / length;
  }
  const auto adhesion_on = [&](size_t j) {
    if (in.adhesion.empty()) return 100.0;
    const double mid = (grid[j] + grid[j + 1]) / 2;
    const auto b =
        std::min(static_cast<size_t>(std::max(mid, 0.0) / kBlockMetres), in.adhesion.size() - 1);
    return in.adhesion[b];
  };

  // The ceiling: each point takes the lower limit of its two intervals, and 0 at a stop.
  std::vector<double> w(n);  // speed squared, (m/s)²
  for (size_t i = 0; i < n; ++i) {
    const double before = i > 0 ? limit[i - 1] : limit[0];
    const double after = i + 1 < n ? limit[i] : limit[n - 2];
    const double v = std::min(before, after) / 3.6;
    w[i] = stop_here[i] ? 0 : v * v;
  }
  // Braking curves, backward from every lower limit and every stop.
  const double inertia = train.inertia_kg();
  for (size_t i = n - 1; i-- > 0;) {
    const double dec = train.service_deceleration() +
                       train.specific_force_n((grade[i] + grade[i + 1]) / 2) / inertia;
    if (!(dec > 0)) {
      throw TimingError("the service brake cannot hold the train on the falling gradient at " +
                        metres(grid[i]));
    }
    w[i] = std::min(w[i], w[i + 1] + 2 * dec * (grid[i + 1] - grid[i]));
  }
  // Acceleration curves, forward from the start and every point where the train was held back;
  // Heun's step on v², which is exact where the acceleration is constant.
  const auto acceleration = [&](double v2, size_t i, double adhesion) {
    const double v = std::sqrt(std::max(v2, 0.0));
    const double force = train.tractive_effort_n(v, adhesion) - train.running_resistance_n(v) -
                         train.specific_force_n(grade[i] + curve[i]);
    return force / inertia;
  };
  for (size_t i = 0; i + 1 < n; ++i) {
    const double h = grid[i + 1] - grid[i];
    const double adhesion = adhesion_on(i);
    const double k1 = 2 * acceleration(w[i], i, adhesion);
    const double k2 = 2 * acceleration(std::max(w[i] + h * k1, 0.0), i + 1, adhesion);
    const double reached = w[i] + h * (k1 + k2) / 2;
    if (w[i + 1] > 0 && !(reached > 0)) {
      throw TimingError("the train stalls at " + metres(grid[i]) +
                        ": its effort does not overcome the gradient and the resistance");
    }
    w[i + 1] = std::min(w[i + 1], reached);
  }

  // Time along the envelope: exact for constant acceleration between two points.
  std::vector<double> running(n, 0);  // seconds from the origin, without dwells and waits
  for (size_t i = 0; i + 1 < n; ++i) {
    const double v = std::sqrt(w[i]) + std::sqrt(w[i + 1]);
    running[i + 1] = running[i] + 2 * (grid[i + 1] - grid[i]) / v;
    // A speed that underflows to 0 (a model far outside its bounds) would give every later
    // time as infinite.
    if (!std::isfinite(running[i + 1])) {
      throw TimingError("the train does not reach " + metres(grid[i + 1]) +
                        " in a finite time: its speed there is 0");
    }
  }

  // Where each station's time is read: its stop, or where the head passes it.
  std::vector<std::pair<size_t, size_t>> timed_points;  // grid index, station
  for (size_t k = 1; k <= last; ++k) {
    const double x = r.stations[k].stop;
    if (x >= x0 - kTolerance && x <= x_end + kTolerance)
      timed_points.emplace_back(index_of(grid, x), k);
  }
  std::stable_sort(timed_points.begin(), timed_points.end());

  // The clock: the train waits at a timed stop until its scheduled departure.
  double waited = 0;  // the dwells and waits so far
  size_t next = 0;
  for (size_t i = 0; i < n; ++i) {
    const double arrival = r.start + running[i] + waited;
    for (; next < timed_points.size() && timed_points[next].first == i; ++next) {
      StationTimes& s = r.stations[timed_points[next].second];
      s.fastest_arrival = arrival;
      if (timed_points[next].second == last) continue;
      double departure = arrival + s.dwell;
      if (s.scheduled_departure) departure = std::max(departure, *s.scheduled_departure);
      s.fastest_departure = departure;
      waited = departure - r.start - running[i];
    }
    if (!is_break[i]) continue;  // every block boundary is a breakpoint
    r.profile.push_back({grid[i], std::sqrt(w[i]) * 3.6, arrival});
    const double departure = r.start + running[i] + waited;
    if (departure > arrival) r.profile.push_back({grid[i], 0, departure});
  }

  // Sections between consecutive timed stations: running, and the dwell at the end.
  std::optional<size_t> from;
  for (size_t k = 0; k <= last; ++k) {
    const StationTimes& s = r.stations[k];
    if (!(s.scheduled_arrival || s.scheduled_departure)) continue;
    if (from) {
      const StationTimes& a = r.stations[*from];
      Section sec;
      sec.from = *from;
      sec.to = k;
      sec.scheduled =
          s.scheduled_arrival.value_or(s.scheduled_departure.value_or(0)) - *a.scheduled_departure;
      sec.fastest = running[index_of(grid, s.stop)] - running[index_of(grid, a.stop)] + s.dwell;
      sec.margin = sec.scheduled - sec.fastest;
      sec.feasible = sec.margin >= 0;
      r.sections.push_back(sec);
    }
    from = k;
  }
  return r;
}

}  // namespace scenario::timing

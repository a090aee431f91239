#include "timing/running_time.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "timing/envelope.h"
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

// Where each station's time is read on the grid: its stop, or where the head passes it.
using TimedPoints = std::vector<std::pair<size_t, size_t>>;  // grid index, station

// The clock of a run of these running times: the train leaves the origin at start, and a timed
// stop no earlier than its scheduled departure and its minimum dwell after arriving. Sets the
// stations' arrival and departure fields given, and the profile when one is given.
void keep_clock(const std::vector<double>& x, const std::vector<bool>& is_break,
                const std::vector<double>& w, const std::vector<double>& running,
                const TimedPoints& timed_points, double start, std::vector<StationTimes>& stations,
                std::optional<double> StationTimes::*arrival_field,
                std::optional<double> StationTimes::*departure_field,
                std::vector<ProfilePoint>* profile) {
  const size_t last = stations.size() - 1;
  double waited = 0;  // the dwells and waits so far
  size_t next = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    const double arrival = start + running[i] + waited;
    for (; next < timed_points.size() && timed_points[next].first == i; ++next) {
      StationTimes& s = stations[timed_points[next].second];
      s.*arrival_field = arrival;
      if (timed_points[next].second == last) continue;
      double departure = arrival + s.dwell;
      if (s.scheduled_departure) departure = std::max(departure, *s.scheduled_departure);
      s.*departure_field = departure;
      // A station passed adds no wait: recomputing it from the clock could add a rounding's
      // worth, and the profile would show a stop there.
      if (s.stops) waited = departure - start - running[i];
    }
    if (!profile || !is_break[i]) continue;  // every block boundary is a breakpoint
    profile->push_back({x[i], std::sqrt(w[i]) * 3.6, arrival});
    const double departure = start + running[i] + waited;
    if (departure > arrival) profile->push_back({x[i], 0, departure});
  }
}

std::vector<double> cumulative_running(const Track& t, const std::vector<double>& w) {
  std::vector<double> running(t.size(), 0);  // seconds from the origin, without dwells and waits
  for (size_t i = 0; i + 1 < t.size(); ++i) {
    running[i + 1] = running[i] + running_time(t, w, i, i + 1);
    // A speed that underflows to 0 (a model far outside its bounds) would make every later
    // time infinite.
    if (!std::isfinite(running[i + 1])) {
      throw TimingError("the train does not reach " + metres(t.x[i + 1]) +
                        " in a finite time: its speed there is 0");
    }
  }
  return running;
}

// The eco profile over [a, b] (a stop at each end) that takes target seconds or up to a few
// tenths less: the ceiling lowered to a cruising speed, and coasting before every braking down
// to the speed the cruising speed gives (coasting_brake_speed). The cruising speed is found by
// bisection; when even the route's own top speed with that coasting is too slow, the coasting is
// shortened instead, again by bisection on the speed at which it gives way to braking.
// Throws TimingError as the passes do.
void eco_section(const Track& t, const TrainModel& m, std::vector<double>& w,
                 std::vector<Drive>& drive, size_t a, size_t b, double target) {
  std::vector<double> tw(w.begin() + static_cast<std::ptrdiff_t>(a),
                         w.begin() + static_cast<std::ptrdiff_t>(b) + 1);
  std::vector<Drive> td(b - a, Drive::kHold);
  Track local;  // the section's slice of the track, so that the passes index from 0
  local.train = t.train;
  local.brake_build_up = t.brake_build_up;
  const auto slice = [&](const std::vector<double>& v, size_t extra) {
    return std::vector<double>(v.begin() + static_cast<std::ptrdiff_t>(a),
                               v.begin() + static_cast<std::ptrdiff_t>(b + extra));
  };
  local.x = slice(t.x, 1);
  local.ceiling = slice(t.ceiling, 1);
  local.grade = slice(t.grade, 1);
  local.curve = slice(t.curve, 1);
  local.adhesion = slice(t.adhesion, 0);
  const size_t n = b - a;
  double top = 0;
  for (double c : local.ceiling) top = std::max(top, std::sqrt(c));
  const auto brake_speed = [&](double cruise) {
    return coasting_brake_speed(cruise * 3.6, m.resistance_a, m.resistance_b, m.resistance_c) / 3.6;
  };
  const auto run = [&](double cruise, double brake) {
    for (size_t i = 0; i <= n; ++i) tw[i] = std::min(local.ceiling[i], cruise * cruise);
    brake_pass(local, tw, 0, n);
    drive_pass(local, tw, td, 0, n);
    coast_before_braking(local, tw, td, 0, n, brake);
    build_up_pass(local, tw, td, 0, n);
    return running_time(local, tw, 0, n);
  };
  // Bisection between a side that is too slow and one that is on time; returns the parameter
  // of the run that is on time, at most kEarly seconds early unless the time jumps there.
  constexpr double kEarly = 0.2;
  const auto bisect = [&](double slow, double fast, auto&& time_of) {
    for (int k = 0; k < 60 && std::abs(fast - slow) > 1e-9 * std::abs(fast); ++k) {
      const double mid = (slow + fast) / 2;
      const double tm = time_of(mid);
      if (tm > target) {
        slow = mid;
      } else {
        fast = mid;
        if (target - tm < kEarly) break;
      }
    }
    return fast;
  };
  double time = 0;
  if (run(top, brake_speed(top)) > target) {
    const double brake = bisect(brake_speed(top), top, [&](double s) { return run(top, s); });
    time = run(top, brake);
  } else {
    constexpr double kCrawl = 1;  // m/s: no cruising speed below this is sought
    time = run(kCrawl, brake_speed(kCrawl));
    if (time > target) {
      const double cruise = bisect(kCrawl, top, [&](double v) { return run(v, brake_speed(v)); });
      time = run(cruise, brake_speed(cruise));
    }
  }
  // The time jumps where a coasting curve, grazing the profile, meets it far earlier for a
  // slightly lower cruising speed; what the bisection leaves there (a few seconds) is spent as
  // the linear run spends a margin, every speed scaled down by the same factor.
  if (time < target - kEarly) {
    const double k = time / target;
    for (double& v2 : tw) v2 *= k * k;
    for (Drive& d : td) {
      if (d == Drive::kPower) d = Drive::kHold;
    }
  }
  std::copy(tw.begin(), tw.end(), w.begin() + static_cast<std::ptrdiff_t>(a));
  std::copy(td.begin(), td.end(), drive.begin() + static_cast<std::ptrdiff_t>(a));
}

}  // namespace

double coasting_brake_speed(double cruise, double a, double b, double c) {
  // For a level line and no energy won back by the brake, the optimal run holds the cruising
  // speed V and brakes from the speed W where the Hamiltonian of holding, r(V) + ψ(V)/V, equals
  // that at the start of braking, ψ(V)/W, with ψ(v) = v²·r'(v).
  const double v = cruise;
  const double denominator = a + 2 * b * v + 3 * c * v * v;
  if (!(denominator > 0)) return 0;
  return v * (b * v + 2 * c * v * v) / denominator;
}

RunResult compute_run(const RunInput& in, const TrainModel& model, double step) {
  RunOptions o;
  o.step = step;
  return compute_run(in, model, o);
}

RunResult compute_run(const RunInput& in, const TrainModel& model, const RunOptions& options) {
  const double step = options.step;
  if (auto problem = model_problem(model)) throw TimingError(*problem);
  if (!(step >= kMinStep) || !(step <= kBlockMetres)) {
    throw TimingError("the integration step must be from 0.1 to 50 m");
  }
  if (in.stations.empty()) throw TimingError("the scenario has no station");
  const TrainPhysics train(model, model.coaches.value_or(in.coaches), in.brake_percent);
  if (!(train.service_deceleration() > 0)) {
    char percent[32];
    std::snprintf(percent, sizeof percent, "%g", in.brake_percent);
    throw TimingError(std::string("the brake-mass percentage is ") + percent +
                      ": the train has no brake to stop with");
  }

  RunResult r;
  r.kind = options.kind;
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
  r.stations.front().departure = r.start;
  if (last == 0) {
    r.profile.push_back({x0, 0, r.start});
    if (options.trace) r.trace.push_back({x0, 0, 0, 0, Drive::kHold});
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
  Track t;
  t.train = &train;
  t.brake_build_up = model.brake_build_up_s;
  std::vector<bool> is_break;
  build_grid(std::move(breaks), step, t.x, is_break);
  const std::vector<double>& grid = t.x;
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
  t.grade.resize(n);
  t.curve.resize(n);
  for (size_t i = 0; i < n; ++i) {
    t.grade[i] = (gradient.at(grid[i]) - gradient.at(grid[i] - length)) / length;
    t.curve[i] = (curves.at(grid[i]) - curves.at(grid[i] - length)) / length;
  }
  t.adhesion.resize(n - 1);
  for (size_t j = 0; j + 1 < n; ++j) {
    if (in.adhesion.empty()) {
      t.adhesion[j] = 100;
      continue;
    }
    const double mid = (grid[j] + grid[j + 1]) / 2;
    const auto b =
        std::min(static_cast<size_t>(std::max(mid, 0.0) / kBlockMetres), in.adhesion.size() - 1);
    t.adhesion[j] = in.adhesion[b];
  }

  // The ceiling: each point takes the lower limit of its two intervals, and 0 at a stop.
  t.ceiling.resize(n);
  for (size_t i = 0; i < n; ++i) {
    const double before = i > 0 ? limit[i - 1] : limit[0];
    const double after = i + 1 < n ? limit[i] : limit[n - 2];
    const double v = std::min(before, after) / 3.6;
    t.ceiling[i] = stop_here[i] ? 0 : v * v;
  }
  // The fastest run: braking curves backward from every lower limit and every stop, then
  // acceleration curves forward from the start and every point where the train was held back.
  std::vector<double> w = t.ceiling;
  std::vector<Drive> drive(n - 1, Drive::kHold);
  brake_pass(t, w, 0, n - 1);
  drive_pass(t, w, drive, 0, n - 1);
  build_up_pass(t, w, drive, 0, n - 1);
  const std::vector<double> running = cumulative_running(t, w);

  TimedPoints timed_points;
  for (size_t k = 1; k <= last; ++k) {
    const double x = r.stations[k].stop;
    if (x >= x0 - kTolerance && x <= x_end + kTolerance)
      timed_points.emplace_back(index_of(grid, x), k);
  }
  std::stable_sort(timed_points.begin(), timed_points.end());
  const bool fastest = options.kind == RunKind::kFastest;
  keep_clock(grid, is_break, w, running, timed_points, r.start, r.stations,
             &StationTimes::fastest_arrival, &StationTimes::fastest_departure,
             fastest ? &r.profile : nullptr);

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
      const double fastest_running =
          running[index_of(grid, s.stop)] - running[index_of(grid, a.stop)];
      sec.fastest = fastest_running + s.dwell;
      sec.margin = sec.scheduled - sec.fastest;
      sec.feasible = sec.margin >= 0;
      sec.length = s.stop - a.stop;
      sec.allowance = options.allowance_percent / 100 * fastest_running +
                      options.allowance_per_100km_min * 60 * sec.length / 100000;
      sec.tight = sec.feasible && sec.margin < sec.allowance;
      r.sections.push_back(sec);
    }
    from = k;
  }

  // The timetable run: the fastest run wherever a section has no margin to spend; elsewhere the
  // margin spent so that the train arrives when the timetable says. It leaves each stop when the
  // fastest run does (at the scheduled departure, or later after a section that cannot be kept),
  // so each section's running time is known before it is run.
  if (!fastest) {
    for (const Section& sec : r.sections) {
      const StationTimes& a = r.stations[sec.from];
      const StationTimes& b = r.stations[sec.to];
      if (!a.fastest_departure) continue;
      const size_t ia = index_of(grid, a.stop), ib = index_of(grid, b.stop);
      const double reach =
          b.scheduled_arrival ? *b.scheduled_arrival : *b.scheduled_departure - b.dwell;
      const double target = reach - *a.fastest_departure;
      const double fast = running[ib] - running[ia];
      if (!(target > fast + 1e-3)) continue;
      if (options.kind == RunKind::kLinear) {
        // Every speed scaled by one factor: every time along the section grows by its inverse.
        const double k = fast / target;
        for (size_t i = ia; i <= ib; ++i) w[i] *= k * k;
        for (size_t i = ia; i < ib; ++i) drive[i] = Drive::kHold;
      } else {
        eco_section(t, model, w, drive, ia, ib, target);
      }
    }
    const std::vector<double> run_running = cumulative_running(t, w);
    keep_clock(grid, is_break, w, run_running, timed_points, r.start, r.stations,
               &StationTimes::arrival, &StationTimes::departure, &r.profile);
    for (Section& sec : r.sections) {
      sec.run = run_running[index_of(grid, r.stations[sec.to].stop)] -
                run_running[index_of(grid, r.stations[sec.from].stop)] + r.stations[sec.to].dwell;
    }
  } else {
    for (StationTimes& s : r.stations) {
      s.arrival = s.fastest_arrival;
      s.departure = s.fastest_departure;
    }
    for (Section& sec : r.sections) sec.run = sec.fastest;
  }

  for (Section& sec : r.sections) {
    sec.energy = energy_of(t, w, drive, index_of(grid, r.stations[sec.from].stop),
                           index_of(grid, r.stations[sec.to].stop));
  }
  r.energy = energy_of(t, w, drive, 0, n - 1);
  if (options.trace) {
    r.trace.reserve(n);
    for (size_t i = 0; i < n; ++i) {
      r.trace.push_back({grid[i], std::sqrt(w[i]) * 3.6, t.grade[i], t.curve[i],
                         i + 1 < n ? drive[i] : Drive::kHold});
    }
  }
  return r;
}

}  // namespace scenario::timing

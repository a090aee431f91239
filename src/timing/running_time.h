// The fastest run of a train over its scenario's line, and the margin of each section of the
// timetable: the library entry point of the running-time calculation.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "timing/run_input.h"
#include "timing/speed_profile.h"
#include "timing/train_model.h"

namespace scenario::timing {

// The integration step, in metres, unless the caller asks for another.
inline constexpr double kDefaultStep = 10;
// The finest step: about 50 bytes a point, so a 1,000 km route runs in about 500 MB.
inline constexpr double kMinStep = 0.1;

// How a section's margin is spent: not at all (the fastest run), by scaling the fastest run's
// speed down evenly (linear), or by a lowered cruising speed and coasting before every braking
// (eco).
enum class RunKind { kFastest, kLinear, kEco };

// The standard allowance a section's margin is judged against: a share of its fastest running
// time and minutes per 100 km of its length.
inline constexpr double kDefaultAllowancePercent = 7;

struct RunOptions {
  double step = kDefaultStep;  // the largest distance between two points of the integration
  RunKind kind = RunKind::kFastest;
  double allowance_percent = kDefaultAllowancePercent;
  double allowance_per_100km_min = 0;
  // Whether the result keeps every point of the integration (RunResult::trace): some
  // 100,000 points for 1,000 km, which a run that is only printed does not need.
  bool trace = false;
};

// Work done along a run, in joules: what the traction puts in at the rail and the brake takes
// out, against what it went into. traction − braking = resistance + curves + height + kinetic.
struct Energy {
  double traction = 0, braking = 0;
  double resistance = 0, curves = 0, height = 0, kinetic = 0;
  Energy& operator+=(const Energy& e);
};

// What the driver does over an interval of the integration.
enum class Drive : unsigned char { kPower, kHold, kCoast };

// A run that cannot be computed: no station, a limit of 0 on the way, a train that stalls on a
// gradient or cannot be held by its brakes.
class TimingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct StationTimes {
  std::string name;
  double position = 0;  // metres
  double stop = 0;      // where the head stands when the train stops here
  double km = 0;        // the line's kilometre at position, metres
  bool stops = false;   // the origin, the destination and every station with a time
  double dwell = 0;     // seconds: the minimum dwell at an intermediate stop
  // Seconds after midnight; the scenario gives one time per timed station.
  std::optional<double> scheduled_arrival, scheduled_departure;
  std::optional<double> fastest_arrival, fastest_departure;
  // The same of the run asked for; the fastest run's times when that is the fastest run.
  std::optional<double> arrival, departure;
};

// Between two consecutive timed stations, in seconds.
struct Section {
  size_t from = 0, to = 0;  // indices into RunResult::stations
  double scheduled = 0;
  double fastest = 0;  // running, and the minimum dwell at its end when the train stops on
  double margin = 0;   // scheduled − fastest
  bool feasible = true;
  double allowance = 0;  // seconds: the standard allowance of the section
  bool tight = false;    // kept, but with a margin below the allowance
  double run = 0;        // as fastest, of the run asked for
  double length = 0;     // metres from stop to stop
  Energy energy;         // of the run asked for, from stop to stop
};

struct ProfilePoint {
  double position = 0;  // metres
  double kmh = 0;
  double time = 0;  // seconds after midnight
};

// A point of the integration grid, with what the driver does from it to the next point.
struct TracePoint {
  double position = 0;  // metres
  double kmh = 0;
  double grade = 0;  // per mille: the mean gradient under the train
  double curve = 0;  // N/kN: the mean curve resistance under the train
  Drive drive = Drive::kHold;
};

struct RunResult {
  RunKind kind = RunKind::kFastest;
  double mass_t = 0, length_m = 0;
  double service_deceleration = 0;  // m/s² on the level
  double start = 0;                 // seconds after midnight
  std::vector<StationTimes> stations;
  std::vector<Section> sections;
  // From the origin's stop to the destination's, at least one point every 50 m; a stop shows
  // twice, at its arrival and at its departure.
  std::vector<ProfilePoint> profile;
  std::vector<LimitRun> limits;  // the route's limits, as drawn under the run
  // Every point of the integration, of the run asked for, when RunOptions::trace asks for them.
  std::vector<TracePoint> trace;
  Energy energy;  // the whole run's, from the origin's stop to the destination's
};

// The fastest run: the train leaves the origin at its scheduled departure (the start clock when
// it has none), stops at every timed station for its minimum dwell and leaves no earlier than
// its scheduled departure, and ends at the last station. step is the largest distance between
// two points of the integration, kMinStep to 50 m. Throws TimingError when the run cannot be
// computed or takes no finite time.
RunResult compute_run(const RunInput& in, const TrainModel& model, double step = kDefaultStep);

// The run options.kind asks for. A timetable run (linear, eco) follows the fastest run wherever
// a section has no margin, and elsewhere reaches the section's end at its scheduled arrival (the
// departure less the minimum dwell), at most a second early; profile, trace, energy and the
// arrival and departure times are of that run, the fastest_ times and margins of the fastest.
RunResult compute_run(const RunInput& in, const TrainModel& model, const RunOptions& options);

// The speed at which coasting gives way to braking, for a train that cruises at cruise (any unit
// of speed; the same unit comes back) and whose running resistance is a + b·v + c·v² in that
// unit: where a level journey of the least energy for its time starts to brake.
double coasting_brake_speed(double cruise, double a, double b, double c);

}  // namespace scenario::timing

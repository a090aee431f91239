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
};

// Between two consecutive timed stations, in seconds.
struct Section {
  size_t from = 0, to = 0;  // indices into RunResult::stations
  double scheduled = 0;
  double fastest = 0;  // running, and the minimum dwell at its end when the train stops on
  double margin = 0;   // scheduled − fastest
  bool feasible = true;
};

struct ProfilePoint {
  double position = 0;  // metres
  double kmh = 0;
  double time = 0;  // seconds after midnight
};

struct RunResult {
  double mass_t = 0, length_m = 0;
  double service_deceleration = 0;  // m/s² on the level
  double start = 0;                 // seconds after midnight
  std::vector<StationTimes> stations;
  std::vector<Section> sections;
  // From the origin's stop to the destination's, at least one point every 50 m; a stop shows
  // twice, at its arrival and at its departure.
  std::vector<ProfilePoint> profile;
  std::vector<LimitRun> limits;  // the route's limits, as drawn under the run
};

// The fastest run: the train leaves the origin at its scheduled departure (the start clock when
// it has none), stops at every timed station for its minimum dwell and leaves no earlier than
// its scheduled departure, and ends at the last station. step is the largest distance between
// two points of the integration, kMinStep to 50 m. Throws TimingError when the run cannot be
// computed or takes no finite time.
RunResult compute_run(const RunInput& in, const TrainModel& model, double step = kDefaultStep);

}  // namespace scenario::timing

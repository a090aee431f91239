// What a running-time calculation reads of a scenario: the route per 50 m block, the plan's
// curves, the stations with their times, the kilometrage and the train's make-up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace scenario::timing {

inline constexpr double kBlockMetres = 50;

struct RunStation {
  std::string name;                  // UTF-8
  int64_t position = 0;              // metres along the route: the station's own point
  int64_t stop = 0;                  // where the head of the train stands when it stops here
  std::optional<int32_t> scheduled;  // seconds after midnight
  int32_t dwell_field = 0;           // the station's own dwell in seconds; 0 when it gives none
};

// A temporary slowdown over [from, to) metres.
struct Slowdown {
  double from = 0, to = 0, kmh = 0;
};

// A run of constant curvature.
struct Curve {
  double start = 0, length = 0, radius = 0;  // metres
};

// One kilometre progressive: from route position start on, the line's kilometre is
// value − position when direction is 1 (kilometrage falling along the route), else
// value + position.
struct Progressive {
  int64_t start = 0, value = 0;
  int direction = 0;
};

struct RunInput {
  // Per block b, covering [50·b, 50·b + 50) metres.
  std::vector<double> limit_kmh;
  std::vector<double> gradient;  // per mille, positive rising in the direction of travel
  std::vector<double> adhesion;  // 100 = dry rail
  std::vector<Slowdown> slowdowns;
  std::vector<Curve> curves;         // in route order, not overlapping
  std::vector<RunStation> stations;  // in route order
  std::vector<Progressive> progressives;
  int coaches = 0;
  double brake_percent = 0;
  int32_t start_clock = 0;  // seconds after midnight; the start when the origin has no time
};

}  // namespace scenario::timing

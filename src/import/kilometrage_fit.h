// Fits the line source's kilometre progressives to kilometre marks found along the track.
#pragma once

#include <cstdint>
#include <vector>

namespace scenario {

// A kilometre known at a point of the track (a milepost's or a station's position tag).
struct KilometreMark {
  double position = 0;   // route position, metres
  double kilometre = 0;  // the line's kilometre there, in metres (km 75.7 is 75700)
};

// One progressive row as the readers take it: from start on, the line's kilometre at route
// position p is value - p when direction is 1 (falling along the route), value + p otherwise.
// value is thus the kilometre the progressive would give at route position 0.
struct ProgressiveRow {
  int32_t start = 0;      // route position, metres, a multiple of 50; the first is 0
  int32_t value = 0;      // metres, a multiple of 50 (the readers refuse others)
  int32_t direction = 0;  // 1 falling, 0 rising
};

struct KilometrageFit {
  // One to three, ascending starts, the first at 0. Without marks, one rising from 0.
  std::vector<ProgressiveRow> progressives;
  bool from_marks = false;  // false: no usable mark, the default progressive
  // Per mark, in the order given: the fitted kilometre minus the mark's, metres; and whether
  // the fit set the mark aside as a wrong tag.
  std::vector<double> residuals;
  std::vector<bool> rejected;
  double max_residual = 0;  // greatest |residual| of the marks kept, metres
  // More than three runs of consistent marks: the shortest were merged into their neighbours.
  bool merged = false;
};

// Fits up to three progressives. Marks in any order. Two marks agree when the kilometre of
// one, carried along the route at one metre per metre (up or down), meets the other's within
// reject_distance. A mark that agrees with neither neighbour while they agree with each other
// is a wrong tag, set aside; any other disagreement is a jump, which starts the next
// progressive at the first mark of the new kilometrage rounded down to a multiple of 50. A
// single mark gives a rising progressive. Without marks, the all-zero progressive, which the
// readers take as the route position itself. Throws std::invalid_argument for a non-finite
// value.
KilometrageFit fit_kilometrage(const std::vector<KilometreMark>& marks, double route_length,
                               double reject_distance = 200);

// The line's kilometre at a route position, metres, by the progressive in force (the latest
// start at or before it), as the readers compute it.
double kilometre_at(const std::vector<ProgressiveRow>& progressives, double position);

}  // namespace scenario

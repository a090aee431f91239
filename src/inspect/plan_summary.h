// The plan of a curve table at a glance: extent, total turn and the runs of constant turning.
#pragma once

#include <cstdint>
#include <vector>

#include "model/curve_table.h"

namespace scenario {

// A run of constant turning.
struct PlanCurve {
  int64_t start = 0;        // the metre where the turning starts
  int64_t length = 0;       // metres
  double radius = 0;        // metres, from the run's arc length and turn
  double turn_degrees = 0;  // positive to the right (clockwise, seen with north up)
};

// What a curve table holds, at a glance. Axis 0 is X (east), axis 1 is Y (north).
struct PlanSummary {
  int64_t last_metre = 0;   // E
  int64_t int16_cells = 0;  // per axis
  int64_t double_cells = 0;
  int64_t empty_cells = 0;
  bool has_points = false;  // false when no axis holds a value: no extent
  double min_x = 0, max_x = 0, min_y = 0, max_y = 0;
  double total_turn_degrees = 0;  // positive to the right
  std::vector<PlanCurve> curves;
};

// Curves are found from the heading change per metre: a change under 1e-7 rad (radius above
// 10,000 km) counts as straight, and a run ends where the change moves by more than 1 %.
PlanSummary summarize_plan(const CurveTable& table);

// True when metre m holds a finite value on both axes: a point of the plan.
bool has_point(const CurveTable& table, int64_t metre);

}  // namespace scenario

// The plan's curve classes and its step, as the line reader builds the plan: one table and one
// recurrence that every user of the plan shares.
#pragma once

#include <string_view>

namespace scenario {

// The turn per metre of the sharpness digits 1 to 6 of a curve keyword, radians per metre.
inline constexpr double kCurveClassCurvature[6] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

// Curvature of a curve keyword: the first digit 1 to 6 found decides; "s" (either case) makes
// it a left curve, negative. 0 when the keyword has no such digit.
double curve_keyword_curvature(std::string_view keyword);

// One metre of the plan: the next point from the two before it, straight on (k = 0) or
// turning by k. The step is not kept at unit length: in a curve it grows by sqrt(1 + k^2) a
// metre, as the compiled plan does.
struct PlanStep {
  double x2, y2, x1, y1;  // the point before the last, and the last
  void advance_straight() {
    const double nx = x1 + (x1 - x2);
    const double ny = y1 + (y1 - y2);
    x2 = x1, y2 = y1;
    x1 = nx, y1 = ny;
  }
  void advance(double k) {
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    const double nx = x1 + dx + k * dy;
    const double ny = y1 + dy - k * dx;
    x2 = x1, y2 = y1;
    x1 = nx, y1 = ny;
  }
};

}  // namespace scenario

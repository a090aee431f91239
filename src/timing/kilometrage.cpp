#include "timing/kilometrage.h"

namespace scenario::timing {

const Progressive* progressive_in_force(const std::vector<Progressive>& progressives,
                                        double position) {
  const Progressive* in_force = nullptr;
  for (const Progressive& p : progressives) {
    if (p.start <= position && (!in_force || p.start >= in_force->start)) in_force = &p;
  }
  return in_force;
}

double kilometre_on(const Progressive* progressive, double position) {
  if (!progressive) return position;
  const double value = static_cast<double>(progressive->value);
  return progressive->direction == 1 ? value - position : value + position;
}

double line_kilometre(const std::vector<Progressive>& progressives, double position) {
  return kilometre_on(progressive_in_force(progressives, position), position);
}

}  // namespace scenario::timing

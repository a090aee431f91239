#include "timing/kilometrage.h"

namespace scenario::timing {

double line_kilometre(const std::vector<Progressive>& progressives, double position) {
  const Progressive* in_force = nullptr;
  for (const Progressive& p : progressives) {
    if (p.start <= position && (!in_force || p.start >= in_force->start)) in_force = &p;
  }
  if (!in_force) return position;
  const double value = static_cast<double>(in_force->value);
  return in_force->direction == 1 ? value - position : value + position;
}

}  // namespace scenario::timing

// The one rounding rule of the system: nearest whole number, halves to the even neighbour.
#pragma once

#include <cfenv>
#include <cmath>
#include <cstdint>

namespace scenario {

// Rounds x to the nearest whole number, halves to even (round(0.5) = 0, round(2.5) = 2).
inline double round_half_even(double x) {
  // nearbyint follows the current rounding mode; the build never changes it from
  // FE_TONEAREST, which is exactly halves-to-even.
  return std::nearbyint(x);
}

// Rounds x as above and returns it as a 64-bit integer; callers check the range they need.
inline int64_t round_to_int(double x) { return static_cast<int64_t>(round_half_even(x)); }

}  // namespace scenario

#include "inspect/clock_text.h"

namespace scenario {

std::string clock_text(int64_t seconds) {
  std::string sign;
  if (seconds < 0) {
    sign = "-";
    seconds = -seconds;
  }
  const int64_t h = seconds / 3600;
  const int64_t m = seconds / 60 % 60;
  const int64_t s = seconds % 60;
  const auto two = [](int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  return sign + std::to_string(h) + ":" + two(m) + ":" + two(s);
}

}  // namespace scenario

#include "inspect/text_columns.h"

#include <cstdio>

namespace scenario {

std::string fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string pad_left(const std::string& s, size_t width) {
  return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::string pad_right(const std::string& s, size_t width) {
  return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

std::string km_text(int64_t metres) {
  const std::string sign = metres < 0 ? "-" : "";
  const int64_t a = metres < 0 ? -metres : metres;
  const std::string rest = std::to_string(a % 1000);
  return "km " + sign + std::to_string(a / 1000) + "+" + std::string(3 - rest.size(), '0') + rest;
}

}  // namespace scenario

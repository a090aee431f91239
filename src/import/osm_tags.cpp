#include "import/osm_tags.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace scenario::import {

std::optional<double> parse_kilometre(std::string_view text) {
  std::string t(text.substr(0, text.find(';')));
  std::replace(t.begin(), t.end(), ',', '.');
  if (const size_t plus = t.find('+'); plus != std::string::npos) {
    try {
      return std::stod(t.substr(0, plus)) * 1000 + std::stod(t.substr(plus + 1));
    } catch (const std::exception&) {
      return std::nullopt;
    }
  }
  try {
    size_t used = 0;
    const double km = std::stod(t, &used);
    if (used == 0 || !std::isfinite(km)) return std::nullopt;
    return km * 1000;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<double> parse_speed(std::string_view text) {
  std::string t(text.substr(0, text.find(';')));
  try {
    size_t used = 0;
    double v = std::stod(t, &used);
    if (used == 0 || !std::isfinite(v) || v <= 0 || v > 400) return std::nullopt;
    if (t.find("mph") != std::string::npos) v *= 1.609344;
    return v;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace scenario::import

#include "documents/document_cells.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace scenario::documents {

std::string cell(std::string_view text, size_t from, size_t width) {
  std::string c(width, ' ');
  for (size_t i = 0; i < text.size() && from + i < width; ++i) c[from + i] = text[i];
  return c;
}

std::string cell_ending(std::string_view text, size_t last, size_t width) {
  const size_t from = text.size() > last + 1 ? 0 : last + 1 - text.size();
  return cell(text, from, width);
}

void put(std::string& row, size_t at, std::string_view text) {
  if (row.size() < at + text.size()) row.resize(at + text.size(), ' ');
  row.replace(at, text.size(), text);
}

std::string clock_time(int64_t seconds) {
  const int64_t day = 24 * 3600;
  const int64_t s = ((seconds % day) + day) % day;
  const int64_t half_minutes = s / 30;
  const int64_t minutes = half_minutes / 2;
  char out[16];
  std::snprintf(out, sizeof out, "%d.%02d%s", static_cast<int>(minutes / 60),
                static_cast<int>(minutes % 60), half_minutes % 2 ? "+" : "");
  return out;
}

namespace {

// Whole kilometres, the separator, then the metres in three digits; a minus sign below zero.
std::string kilometre_with(int64_t metres, const char* prefix, char separator) {
  const int64_t m = metres < 0 ? -metres : metres;
  char out[40];
  std::snprintf(out, sizeof out, "%s%s%lld%c%03lld", prefix, metres < 0 ? "-" : "",
                static_cast<long long>(m / 1000), separator, static_cast<long long>(m % 1000));
  return out;
}

}  // namespace

std::string kilometre_text(int64_t metres) { return kilometre_with(metres, "", '.'); }

std::string board_kilometre_text(int64_t metres) { return kilometre_with(metres, "Km ", '+'); }

std::string margin_text(double seconds) {
  const double halves = std::floor(seconds / 30 + 1e-9);
  char out[16];
  std::snprintf(out, sizeof out, "%.1f", halves / 2);
  return out;
}

std::string margin_cell_text(double seconds) {
  std::string t = margin_text(seconds);
  if (t.size() <= 4) return t;
  const double minutes = std::clamp(std::floor(seconds / 60 + 1e-9), -999.0, 9999.0);
  return std::to_string(static_cast<long long>(minutes));
}

}  // namespace scenario::documents

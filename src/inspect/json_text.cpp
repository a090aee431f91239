#include "inspect/json_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "format/cp1252.h"

namespace scenario {

JsonObject json_text(std::string_view cp1252) { return JsonObject(cp1252_to_utf8(cp1252)); }

JsonObject json_number(double v) {
  if (std::isfinite(v)) return JsonObject(v);
  uint64_t u;
  std::memcpy(&u, &v, sizeof u);
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%016llx", static_cast<unsigned long long>(u));
  return JsonObject(buf);
}

double json_decimal(double v, int places) {
  static constexpr double kScale[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  const double scale = kScale[std::clamp(places, 0, 9)];
  const double scaled = std::round(v * scale);
  // The quotient of two whole numbers that doubles hold exactly is the double nearest the
  // decimal; a product (round(v / 0.01) * 0.01) is not, and prints its binary error.
  if (!std::isfinite(scaled) || std::abs(scaled) >= 9007199254740992.0) return v;
  if (scaled == 0) return 0;  // no "-0.0" for a small negative value
  return scaled / scale;
}

JsonObject json_number(double v, int places) { return json_number(json_decimal(v, places)); }

void write_open_object(const JsonObject& head, std::ostream& out) {
  const std::string text = head.dump();
  out.write(text.data(), static_cast<std::streamsize>(text.size() - 1));
}

bool text_needs_hex(std::string_view text) {
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) return true;
  }
  return false;
}

std::string hex_bytes(std::string_view text) {
  static const char* kDigits = "0123456789abcdef";
  std::string out;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

}  // namespace scenario

#include "inspect/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "format/cp1252.h"

namespace scenario {

std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    char buf[8];
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          const auto cp = static_cast<unsigned>(cp1252_code_point(c));
          std::snprintf(buf, sizeof buf, "\\u%04x", cp);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
  return out;
}

std::string json_double(double v) {
  if (!std::isfinite(v)) {
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    char buf[32];
    std::snprintf(buf, sizeof buf, "\"0x%016llx\"", static_cast<unsigned long long>(u));
    return buf;
  }
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
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

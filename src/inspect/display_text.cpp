#include "inspect/display_text.h"

#include "format/cp1252.h"

namespace scenario {
namespace {

void append_utf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string display_text(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (char ch : cp1252) {
    const auto c = static_cast<unsigned char>(ch);
    unsigned cp = c;
    if (c < 0x20 || c == 0x7F) {
      cp = 0xFFFD;
    } else if (c >= 0x80 && c < 0xA0) {
      cp = cp1252_code_point(c);
    }
    append_utf8(out, cp);
  }
  return out;
}

}  // namespace scenario

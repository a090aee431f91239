#include "inspect/display_text.h"

#include "format/cp1252.h"

namespace scenario {

std::string display_text(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (char ch : cp1252) {
    const auto c = static_cast<unsigned char>(ch);
    char32_t cp = c;
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

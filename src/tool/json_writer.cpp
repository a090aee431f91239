#include "tool/json_writer.h"

#include <cstdio>

#include "format/cp1252.h"

namespace scenario::tool {

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

}  // namespace scenario::tool

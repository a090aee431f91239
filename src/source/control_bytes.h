// Control bytes in what the tool quotes from a source, shown as \xNN: a hostile source must not
// put terminal controls or NULs on the author's terminal.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

inline bool is_control_byte(char ch) {
  const auto c = static_cast<unsigned char>(ch);
  return c < 0x20 || c == 0x7F;
}

// Appends ch to out, a control byte as \xNN (four characters).
inline void append_shown_byte(std::string& out, char ch) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  if (!is_control_byte(ch)) {
    out += ch;
    return;
  }
  const auto c = static_cast<unsigned char>(ch);
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 0xF];
}

// text with its control bytes shown as \xNN.
inline std::string shown_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) append_shown_byte(out, ch);
  return out;
}

}  // namespace scenario

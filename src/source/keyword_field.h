// The next keyword field of a source body, as both readers take it.
#pragma once

#include <optional>

#include "source/field_stream.h"

namespace scenario {

// Reads the next keyword field, passing over up to two fields that hold a hyphen (comment and
// separator fields). Returns nullopt when the file is at its end, or when a read reached it:
// a keyword that is the last field of the file is discarded unread.
inline std::optional<Field> next_keyword(FieldStream& in) {
  if (in.at_end()) return std::nullopt;
  Field f = in.read_text();
  for (int skips = 0; skips < 3; ++skips) {
    if (in.at_end()) return std::nullopt;
    if (skips == 2 || f.text.find('-') == std::string::npos) break;
    f = in.read_text();
  }
  return f;
}

}  // namespace scenario

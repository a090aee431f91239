// Substring tests on keyword fields, case-sensitive or not (ASCII letters only fold).
#pragma once

#include <string_view>

namespace scenario {

inline bool contains(std::string_view field, std::string_view word) {
  return field.find(word) != std::string_view::npos;
}

inline char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// word must be lower case.
inline bool contains_ci(std::string_view field, std::string_view word) {
  if (word.size() > field.size()) return false;
  for (size_t i = 0; i + word.size() <= field.size(); ++i) {
    size_t k = 0;
    while (k < word.size() && ascii_lower(field[i + k]) == word[k]) ++k;
    if (k == word.size()) return true;
  }
  return false;
}

}  // namespace scenario

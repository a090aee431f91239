#include "lsp/text_positions.h"

#include <algorithm>
#include <cstdint>

namespace scenario::lsp {
namespace {

// Bytes of the UTF-8 sequence that begins with b (a stray continuation byte counts as one).
size_t sequence_length(unsigned char b) {
  if (b >= 0xF0) return 4;
  if (b >= 0xE0) return 3;
  if (b >= 0xC0) return 2;
  return 1;
}

// The start of line `line` (from 0); npos beyond the text.
size_t line_start(std::string_view text, int32_t line) {
  size_t p = 0;
  for (int32_t l = 0; l < line; ++l) {
    while (p < text.size() && text[p] != '\r' && text[p] != '\n') ++p;
    if (p >= text.size()) return std::string_view::npos;
    p += (text[p] == '\r' && p + 1 < text.size() && text[p + 1] == '\n') ? 2 : 1;
  }
  return p;
}

}  // namespace

std::string_view utf8_line(std::string_view text, int32_t line) {
  const size_t start = line < 0 ? std::string_view::npos : line_start(text, line);
  if (start == std::string_view::npos || start > text.size()) return {};
  size_t end = start;
  while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
  return text.substr(start, end - start);
}

int32_t character_of_column(std::string_view line, int32_t column) {
  int32_t units = 0;
  size_t p = 0;
  for (int32_t c = 1; c < column && p < line.size(); ++c) {
    const size_t n = sequence_length(static_cast<unsigned char>(line[p]));
    units += n == 4 ? 2 : 1;
    p += n;
  }
  return units;
}

int32_t column_of_character(std::string_view line, int32_t character) {
  int32_t units = 0;
  int32_t column = 1;
  size_t p = 0;
  while (p < line.size() && units < character) {
    const size_t n = sequence_length(static_cast<unsigned char>(line[p]));
    units += n == 4 ? 2 : 1;
    p += n;
    ++column;
  }
  // Past the line's end the column goes on counting, so that nothing there is under it; it
  // stops at the largest column rather than wrap to a small one.
  const int64_t past = std::max<int64_t>(0, int64_t{character} - units);
  return static_cast<int32_t>(std::min<int64_t>(column + past, INT32_MAX));
}

size_t offset_of(std::string_view text, Position pos) {
  if (pos.line < 0) return 0;
  const size_t start = line_start(text, pos.line);
  if (start == std::string_view::npos) return text.size();
  const std::string_view line = utf8_line(text.substr(start), 0);
  size_t p = 0;
  int32_t units = 0;
  while (p < line.size() && units < pos.character) {
    const size_t n = sequence_length(static_cast<unsigned char>(line[p]));
    units += n == 4 ? 2 : 1;
    p += n;
  }
  return start + std::min(p, line.size());
}

Position end_of(std::string_view text) {
  Position pos;
  size_t start = 0;
  for (size_t p = 0; p < text.size(); ++p) {
    if (text[p] == '\r' || text[p] == '\n') {
      if (text[p] == '\r' && p + 1 < text.size() && text[p + 1] == '\n') ++p;
      ++pos.line;
      start = p + 1;
    }
  }
  const size_t rest = text.size() - start;
  pos.character = character_of_column(
      text.substr(start), static_cast<int32_t>(std::min<size_t>(rest, INT32_MAX - 1) + 1));
  return pos;
}

}  // namespace scenario::lsp

// Places in a document as the protocol counts them (lines from 0, characters in UTF-16 code
// units of the UTF-8 text) against the readers' places (lines and columns from 1, one column per
// Windows-1252 byte, which is one character of the UTF-8 text).
#pragma once

#include <cstdint>
#include <string_view>

namespace scenario::lsp {

struct Position {
  int32_t line = 0;       // from 0
  int32_t character = 0;  // UTF-16 code units
};

// Line `line` (from 0) of a UTF-8 text, without its line end (CR LF, LF or CR); empty beyond.
std::string_view utf8_line(std::string_view text, int32_t line);

// The protocol's character of column (from 1, one per character) on a UTF-8 line.
int32_t character_of_column(std::string_view line, int32_t column);
// The column (from 1) of a protocol character on a UTF-8 line; past the end, as if the line ran
// on in single characters.
int32_t column_of_character(std::string_view line, int32_t character);

// The byte offset of a position in a UTF-8 text, clamped to its line and to the text.
size_t offset_of(std::string_view text, Position p);
// The position just past the end of the text.
Position end_of(std::string_view text);

}  // namespace scenario::lsp

// Writing recovered rows as the two source texts, in the column forms of the built-in sources:
// Windows-1252 bytes, every line ended by CR LF.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "decompile/recovered_sources.h"

namespace scenario::decompile {

// A text value (board text, station name) as a field the reader gives back unchanged: as it
// stands, or in double quotes when it holds a comma, a line end or blanks at its edges. Nothing
// when no field can hold it (it needs quotes and holds a double quote itself).
std::optional<std::string> text_field(std::string_view text);

// The texts; the rows' text values must pass text_field.
std::string line_source_text(const LineRows& rows);
std::string train_source_text(const TrainRows& rows);

}  // namespace scenario::decompile

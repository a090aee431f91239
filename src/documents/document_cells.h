// The cell forms of the driver's documents: fixed-width texts placed in table rows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scenario::documents {

// text placed at column from in a cell of width blanks (cut at the cell's end).
std::string cell(std::string_view text, size_t from, size_t width);
// text ending at column last (0-based) of a cell of width blanks.
std::string cell_ending(std::string_view text, size_t last, size_t width);
// row with text written over it from column at; the row is lengthened with blanks if needed.
void put(std::string& row, size_t at, std::string_view text);

// A clock time as the sheet prints it, "h.mm" and "+" for the second half of the minute: the
// time rounded down to the half minute. seconds after midnight; a day later wraps.
std::string clock_time(int64_t seconds);
// A line kilometre in metres as "km.mmm" ("75.680", "0.000", "-0.050").
std::string kilometre_text(int64_t metres);
// A kilometre in the form of the line-side boards: "Km 73+830".
std::string board_kilometre_text(int64_t metres);
// A margin in seconds, in minutes rounded down to the half minute: "1.5", "-0.5".
std::string margin_text(double seconds);
// The same in the four characters of the margin cell: whole minutes, rounded down, when the
// half minute does not fit, held between -999 and 9999.
std::string margin_cell_text(double seconds);

}  // namespace scenario::documents

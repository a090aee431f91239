// Column layout of the tool's text listings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace scenario {

// v with a fixed number of decimals.
std::string fixed(double v, int decimals);
// s padded with blanks to width, on the left or on the right.
std::string pad_left(const std::string& s, size_t width);
std::string pad_right(const std::string& s, size_t width);
// A kilometre value in metres as the line's "km 75+700".
std::string km_text(int64_t metres);

}  // namespace scenario

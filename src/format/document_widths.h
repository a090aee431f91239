// The widths of the driver's documents' cells that show an author's texts: the documents cut a
// longer text, and `check` warns of it.
#pragma once

#include <cstddef>

namespace scenario {

// A station's name in the timetable sheet's location cell (it starts at the cell's second
// character and keeps a blank before the bar).
inline constexpr size_t kSheetStationNameWidth = 26;
// The origin's and the destination's names in the sheet's header ("da: ", "a: ").
inline constexpr size_t kSheetHeaderNameWidth = 21;

}  // namespace scenario

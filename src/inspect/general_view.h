// The view of a ".sim" file: the general table by meaning (global values, stations, boards) and
// every field that no meaning covers, printed as text or as JSON.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "model/general_table.h"

namespace scenario {

struct GeneralView {
  std::string file;  // as given on the command line
  size_t bytes = 0;  // the file's size
  GeneralTable table;
  std::vector<int> stations;        // station slots, 1 upward
  std::vector<int> boards;          // board slots, 80 downward
  std::vector<std::string> extras;  // "slot N: name=value ..." for fields no meaning covers
};

GeneralView general_view(std::string file, size_t bytes, GeneralTable table);

// The listing: global values with their slots and fields, the stations, the boards, extras.
void print_text(const GeneralView& v, std::ostream& out);
// One JSON object: the values by meaning, the stations, the boards and all 87 slots.
void print_json(const GeneralView& v, std::ostream& out);

}  // namespace scenario

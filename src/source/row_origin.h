// Where a status comes from in the author's text: the row being read, or the row that placed
// the item on a block that the compiler reports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scenario {

// Where a source row lies, for reporting a status against the author's text.
struct RowOrigin {
  std::string file;        // file name without directory; empty when no row is known
  int32_t line = 0;        // line of the row's first field, from 1
  int32_t column = 0;      // column of the field that caused the status, from 1
  int32_t last_line = 0;   // line of the row's last field read
  int32_t field_line = 0;  // line of the field that caused the status

  bool known() const { return !file.empty(); }
};

// Which source row placed the item in each block, so that compiler codes can name a row.
struct BlockOrigins {
  enum Source : uint8_t { kNone = 0, kLineSource = 1, kTrainSource = 2 };
  std::vector<int32_t> line;    // 0 = no row known
  std::vector<int32_t> column;  // of the row's position field
  std::vector<uint8_t> file;    // a Source
};

}  // namespace scenario

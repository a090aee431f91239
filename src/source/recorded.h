// What a recorder did with one source row.
#pragma once

#include <cstdint>
#include <vector>

namespace scenario {

// The status code (0 when the row was recorded) and the blocks the recorder wrote, so that the
// reader notes the row against them without working them out again.
struct Recorded {
  int32_t code = 0;
  std::vector<int64_t> blocks;
};

}  // namespace scenario

// The route compiler's steps on the track: the code-cut points, and the reserved fields.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/build_state.h"
#include "source/row_origin.h"

namespace scenario {

// One code that the post-processing recorded, against the row that placed the item concerned.
struct CompilerFault {
  int32_t code = 0;
  int32_t position = 0;  // block × 50
  RowOrigin origin;
};

// The value of the code-cut points that the compiler places (code 12).
inline constexpr int16_t kPointValue = 180;

// The smaller of x and y; on equality x.
int32_t minimo(int32_t x, int32_t y);

// Places the compiler's code-cut points on the track (warning points, slowdown starts, walks
// and the signal after a slowdown's end); records codes 11, 12 and 13 in the state, which keeps
// the last, and returns them all in order. A point placed for an item takes that item's row in
// origins, so that a later report on its block names the row.
std::vector<CompilerFault> post_process_track(BuildState& state, BlockOrigins& origins);
std::vector<CompilerFault> post_process_track(BuildState& state);

// The row that placed the item on block, as far as origins know it.
RowOrigin block_origin(const BuildState& state, const BlockOrigins& origins, int64_t block);

// Checks and stamps the format marks, then the scenario codes. Returns the errore number when
// a field is already in use (1250 before anything is stamped, 1251 after the marks).
std::optional<int32_t> stamp_reserved_fields(BuildState& state);

}  // namespace scenario

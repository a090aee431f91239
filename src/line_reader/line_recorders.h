// The recorders of mountain ranges and speed indicator boards.
#pragma once

#include <cstdint>

#include "model/build_state.h"
#include "source/recorded.h"

namespace scenario {

// Records a mountain range over the blocks from round(start/50) to round(end/50 - 1), clipped
// to the track; kinds above 10 also ask for the filler on every fourth free block.
void memo_montagna(BuildState& state, int32_t start, int32_t end, int32_t kind);

// Values of one speed indicator board row after its position, in file order.
struct SpeedBoardValues {
  int32_t s1, s2, s3, c1, t1, t2, t3, c2;
};

// Records a speed indicator board on block round(position/50 + 1). Returns code 21 when the
// block is taken (nothing written), else the board's block. Throws ReadFailure when a packed
// pair overflows.
Recorded memo_indicatori_v_max(BuildState& state, int32_t position, const SpeedBoardValues& v);

}  // namespace scenario

// The step functions of the track (speed limit, gradient, adhesion, mountain) as runs of blocks.
#pragma once

#include <cstdint>
#include <vector>

#include "model/track_array.h"

namespace scenario {

// A stretch of consecutive blocks holding the same value.
struct Run {
  int64_t first_block = 0;
  int64_t last_block = 0;
  int value = 0;
};

// The runs of one mark over all blocks, in block order.
std::vector<Run> mark_runs(const std::vector<TrackBlock>& blocks, uint8_t TrackBlock::*mark);

}  // namespace scenario

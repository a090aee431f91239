// Step functions of a per-block mark (gradient, speed limit, adhesion) and the rows that give
// them back.
#pragma once

#include <cstdint>
#include <vector>

#include "decompile/recovered_sources.h"
#include "model/track_array.h"

namespace scenario::decompile {

// The rows, as (position, mark) steps, that leave mark on blocks 0 to N - 3 as the track holds
// it: one at 0, one at every block where the mark changes. The readers fill blocks up to N - 3
// after the last row; a mark on block N - 2 needs a last row at that block itself.
inline std::vector<Step> mark_steps(const std::vector<TrackBlock>& blocks,
                                    uint8_t TrackBlock::*mark) {
  std::vector<Step> steps;
  const int64_t n = static_cast<int64_t>(blocks.size()) - 1;
  if (n < 3) return steps;
  steps.push_back({0, blocks[0].*mark});
  for (int64_t b = 1; b <= n - 3; ++b) {
    const uint8_t v = blocks[static_cast<size_t>(b)].*mark;
    if (v != blocks[static_cast<size_t>(b - 1)].*mark) {
      steps.push_back({static_cast<int32_t>(b * 50), v});
    }
  }
  const uint8_t tail = blocks[static_cast<size_t>(n - 2)].*mark;
  if (tail != 0) steps.push_back({static_cast<int32_t>((n - 2) * 50), tail});
  return steps;
}

}  // namespace scenario::decompile

// Decoding a ".dat" file (the track array's image) and reading its blocks by meaning.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/track_array.h"
#include "tool/decode_error.h"

namespace scenario::tool {

// Metres per block: a block b is reported at position b × 50.
inline constexpr int64_t kBlockMetres = 50;
// The mark that block 1's value1 carries in every compiled track file.
inline constexpr int16_t kTrackFormatMark = 5121;

// Cuts a ".dat" image into its 15-byte blocks; the size must be a positive multiple of 15.
Decoded<std::vector<TrackBlock>> decode_track(std::string_view bytes);

// What a block code stands for ("signal", "slowdown start", ...); null for an unknown code.
const char* block_code_meaning(uint8_t code);

// A stretch of consecutive blocks holding the same value.
struct Run {
  int64_t first_block = 0;
  int64_t last_block = 0;
  int value = 0;
};

// The runs of one mark over all blocks, in block order.
std::vector<Run> mark_runs(const std::vector<TrackBlock>& blocks, uint8_t TrackBlock::*mark);

}  // namespace scenario::tool

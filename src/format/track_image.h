// The ".dat" file: the track array's image, its writer and its decoder.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "format/coding.h"
#include "format/decode_error.h"
#include "format/marks.h"
#include "model/track_array.h"

namespace scenario {

// One block, 15 bytes: code 0, value1 1, value2 3, value3 5, value4 7, mark10..mark15 9 to 14.
template <typename Sink>
void write_track_block(Sink& out, const TrackBlock& b) {
  put_u8(out, b.code);
  put_i16(out, b.value1);
  put_i16(out, b.value2);
  put_i16(out, b.value3);
  put_i16(out, b.value4);
  put_u8(out, b.mark10);
  put_u8(out, b.mark11);
  put_u8(out, b.mark12);
  put_u8(out, b.mark13);
  put_u8(out, b.mark14);
  put_u8(out, b.mark15);
}

// Blocks 0 to N, 15 bytes each, no header.
template <typename Sink>
void write_track_image(Sink& out, const TrackArray& track) {
  for (const TrackBlock& b : track.blocks()) write_track_block(out, b);
}

// Cuts a ".dat" image into its 15-byte blocks; the size must be a positive multiple of 15.
Decoded<std::vector<TrackBlock>> decode_track(std::string_view bytes);

// What a block code stands for ("signal", "slowdown start", ...); null for an unknown code.
const char* block_code_meaning(uint8_t code);

}  // namespace scenario

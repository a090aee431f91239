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

// What a block's marks and values mean, said once for every reader of the image.
// mark13 holds the train's speed limit in steps of 5 km/h.
inline constexpr int kSpeedStepKmh = 5;
inline constexpr int speed_of_mark(uint8_t mark13) { return mark13 * kSpeedStepKmh; }
// mark14 holds the gradient in per mille plus 100 (0: a block no gradient row reached).
inline constexpr int kGradientOffset = 100;
inline constexpr int gradient_of_mark(uint8_t mark14) { return mark14 - kGradientOffset; }
// A signal's value4 is 10 x field 6 + 3 x its kind + field 7 (0 to 2): its last digit tells the
// kind, 3 to 5 a distant signal (kind 1) and 6 to 8 a main one (kind 2); 0 when it tells none.
inline constexpr int signal_kind_of_value4(int16_t value4) {
  if (value4 < 0) return 0;
  const int digit = value4 % 10;
  return digit >= 3 && digit <= 5 ? 1 : digit >= 6 && digit <= 8 ? 2 : 0;
}
// A speed board's value1 to value3 are its speed x 20 + the second group's speed / 5; value4 is
// 10 x its code + the second group's code.
inline constexpr int board_speed_of_value(int16_t value) { return value < 0 ? 0 : value / 100 * 5; }

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

// The byte images of the general table, the track array and the curve table.
#pragma once

#include "model/byte_writer.h"
#include "model/curve_table.h"
#include "model/general_table.h"
#include "model/track_array.h"

namespace scenario {

// Size in bytes of one track block's image.
inline constexpr size_t kTrackBlockImageSize = 15;

template <typename Sink>
void write_general_entry(Sink& out, const GeneralEntry& e) {
  put_u8(out, e.code);
  put_i32(out, e.long1);
  put_i32(out, e.long2);
  put_i32(out, e.long3);
  put_u8(out, e.flag);
  put_text(out, e.text);
  put_i16(out, e.int1);
  put_i16(out, e.int2);
  put_i16(out, e.int3);
  put_i16(out, e.int4);
  put_i16(out, e.int5);
  put_u8(out, e.byte1);
  put_u8(out, e.byte2);
  put_u8(out, e.byte3);
  put_u8(out, e.byte4);
  put_i32(out, e.long4);
}

// Slots 0 to 86, back to back, no header.
template <typename Sink>
void write_general_image(Sink& out, const GeneralTable& table) {
  for (int slot = 0; slot < GeneralTable::kSlots; ++slot) write_general_entry(out, table[slot]);
}

template <typename Sink>
void write_track_block(Sink& out, const TrackBlock& b) {
  uint8_t bytes[kTrackBlockImageSize];
  const auto le16 = [&bytes](int at, int16_t v) {
    bytes[at] = static_cast<uint8_t>(static_cast<uint16_t>(v));
    bytes[at + 1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
  };
  bytes[0] = b.code;
  le16(1, b.value1);
  le16(3, b.value2);
  le16(5, b.value3);
  le16(7, b.value4);
  bytes[9] = b.mark10;
  bytes[10] = b.mark11;
  bytes[11] = b.mark12;
  bytes[12] = b.mark13;
  bytes[13] = b.mark14;
  bytes[14] = b.mark15;
  out.write(bytes, sizeof bytes);
}

// Blocks 0 to N, 15 bytes each, no header.
template <typename Sink>
void write_track_image(Sink& out, const TrackArray& track) {
  for (const TrackBlock& b : track.blocks()) write_track_block(out, b);
}

// Axis 0 for metres 0 to E, then axis 1; each cell a 16-bit tag and its value.
template <typename Sink>
void write_curve_image(Sink& out, const CurveTable& curves) {
  // Cells are gathered in a local chunk that goes to the sink a few kilobytes at a time. Written
  // to the sink cell by cell, each store into its buffer made the compiler reload the buffer's
  // fill count (bytes may alias it), which cost several times the copying itself.
  constexpr size_t kCellMax = 10;
  uint8_t chunk[4000];
  size_t used = 0;
  for (int axis = 0; axis < 2; ++axis) {
    const auto& kinds = curves.kinds(axis);
    const auto& values = curves.values(axis);
    for (size_t m = 0; m < kinds.size(); ++m) {
      if (used + kCellMax > sizeof chunk) {
        out.write(chunk, used);
        used = 0;
      }
      uint8_t* cell = chunk + used;
      cell[0] = kinds[m];
      cell[1] = 0;
      if (kinds[m] == static_cast<uint8_t>(CellKind::kInt16)) {
        const auto v = static_cast<uint16_t>(static_cast<int16_t>(values[m]));
        cell[2] = static_cast<uint8_t>(v);
        cell[3] = static_cast<uint8_t>(v >> 8);
        used += 4;
      } else if (kinds[m] == static_cast<uint8_t>(CellKind::kDouble)) {
        uint64_t u;
        std::memcpy(&u, &values[m], sizeof u);
        for (int i = 0; i < 8; ++i) cell[2 + i] = static_cast<uint8_t>(u >> (8 * i));
        used += 10;
      } else {
        used += 2;
      }
    }
  }
  if (used > 0) out.write(chunk, used);
}

}  // namespace scenario

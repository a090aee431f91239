// The "_linea.dat" file: the curve table's image, its writer and its decoder.
#pragma once

#include <cstdint>
#include <string_view>

#include "format/coding.h"
#include "format/decode_error.h"
#include "model/curve_table.h"

namespace scenario {

// Axis 0 for metres 0 to E, then axis 1; each cell a 16-bit tag and its value: tag 0 (empty)
// alone, tag 2 with a 16-bit integer, tag 5 with a binary64 double.
template <typename Sink>
void write_curve_image(Sink& out, const CurveTable& curves) {
  // Cells are gathered in a local chunk that goes to the sink a few kilobytes at a time. Written
  // to the sink cell by cell, each store into its buffer made the compiler reload the buffer's
  // fill count (bytes may alias it), which cost several times the copying itself.
  constexpr size_t kCellMax = 10;  // a double cell, the largest
  // Nearly every cell is a double: eight of them in a row are encoded without a test per cell.
  constexpr size_t kRun = 8;
  constexpr uint64_t kRunOfDoubles = 0x0101010101010101u * static_cast<uint8_t>(CellKind::kDouble);
  uint8_t chunk[4000];
  size_t used = 0;
  for (int axis = 0; axis < 2; ++axis) {
    const auto kinds = curves.kinds(axis);
    const auto values = curves.values(axis);
    size_t m = 0;
    while (m < kinds.size()) {
      if (used + kRun * kCellMax > sizeof chunk) {
        out.write(chunk, used);
        used = 0;
      }
      uint64_t run_kinds = 0;
      if (m + kRun <= kinds.size()) std::memcpy(&run_kinds, &kinds[m], kRun);
      if (run_kinds == kRunOfDoubles) {
        for (size_t i = 0; i < kRun; ++i) {
          uint8_t* cell = chunk + used + i * kCellMax;
          encode_u16(cell, static_cast<uint8_t>(CellKind::kDouble));
          encode_f64(cell + 2, values[m + i]);
        }
        used += kRun * kCellMax;
        m += kRun;
        continue;
      }
      uint8_t* cell = chunk + used;
      const uint8_t kind = kinds[m];
      encode_u16(cell, kind);
      if (kind == static_cast<uint8_t>(CellKind::kInt16)) {
        encode_u16(cell + 2, static_cast<uint16_t>(static_cast<int16_t>(values[m])));
        used += 4;
      } else if (kind == static_cast<uint8_t>(CellKind::kDouble)) {
        encode_f64(cell + 2, values[m]);
        used += kCellMax;
      } else {
        used += 2;
      }
      ++m;
    }
  }
  if (used > 0) out.write(chunk, used);
}

// Walks the variant cells of a "_linea.dat" image: axis 0 for metres 0 to E, then axis 1. Each
// tag must be known, each cell complete, the count even, and both axes must hold the same kind
// at every metre (the writer sets X and Y together). A file with more cells than the longest
// route has is refused where it passes that count.
Decoded<CurveTable> decode_curve(std::string_view bytes);

}  // namespace scenario

#include "format/curve_image.h"

#include <string>

#include "format/marks.h"

namespace scenario {
namespace {

std::string kind_name(uint8_t kind) {
  switch (static_cast<CellKind>(kind)) {
    case CellKind::kEmpty:
      return "empty (tag 0)";
    case CellKind::kInt16:
      return "integer (tag 2)";
    case CellKind::kDouble:
      return "double (tag 5)";
  }
  return "tag " + std::to_string(kind);
}

}  // namespace

Decoded<CurveTable> decode_curve(std::string_view bytes) {
  if (bytes.empty()) return DecodeError{0, "empty file: a curve file holds two axes of cells"};
  // First the layout of the cells, then their values straight into the table: a list of cells
  // in between, and a cell's name made for every cell, cost several times the decoding itself
  // on the longest routes.
  size_t count = 0;
  ByteReader in(bytes);
  while (!in.at_end()) {
    const uint64_t at = in.offset();
    if (count == 2 * kMaxCellsPerAxis) {
      return DecodeError{at, "more than " + std::to_string(2 * kMaxCellsPerAxis) +
                                 " cells: longer than the longest route (1,000,000 m and the "
                                 "7000 m run-out) on two axes"};
    }
    const auto index = [count] { return "cell " + std::to_string(count); };
    if (in.left() < 2) return DecodeError{at, index() + ": truncated tag (1 byte left of 2)"};
    const uint16_t tag = in.u16();
    size_t width = 0;
    if (tag == static_cast<uint16_t>(CellKind::kInt16)) {
      width = 2;
    } else if (tag == static_cast<uint16_t>(CellKind::kDouble)) {
      width = 8;
    } else if (tag != static_cast<uint16_t>(CellKind::kEmpty)) {
      return DecodeError{at, index() + ": unknown variant tag " + std::to_string(tag) +
                                 " (known: 0 empty, 2 integer, 5 double)"};
    }
    if (in.left() < width) {
      return DecodeError{at, index() + ": truncated cell: tag " + std::to_string(tag) + " needs " +
                                 std::to_string(width) + " value bytes, " + byte_count(in.left()) +
                                 " left"};
    }
    in.take(width);
    ++count;
  }
  if (count % 2 != 0) {
    return DecodeError{bytes.size(), "the file holds " + std::to_string(count) +
                                         " cells, an odd number: they do not split into two "
                                         "axes of equal length"};
  }
  const size_t per_axis = count / 2;
  CurveTable table;
  table.create(static_cast<int64_t>(per_axis) - 1);
  ByteReader cells(bytes);
  for (int axis = 0; axis < 2; ++axis) {
    for (size_t m = 0; m < per_axis; ++m) {
      const uint64_t at = cells.offset();
      const auto kind = static_cast<uint8_t>(cells.u16());
      const auto metre = static_cast<int64_t>(m);
      const auto axis0 = static_cast<uint8_t>(table.kind(metre, 0));
      if (axis == 1 && axis0 != kind) {
        return DecodeError{at, "cell " + std::to_string(per_axis + m) + " (axis 1, metre " +
                                   std::to_string(m) + ") is " + kind_name(kind) +
                                   " but axis 0 metre " + std::to_string(m) + " is " +
                                   kind_name(axis0) + ": the axes do not line up"};
      }
      if (kind == static_cast<uint8_t>(CellKind::kInt16)) {
        table.set_int16(metre, axis, cells.i16());
      } else if (kind == static_cast<uint8_t>(CellKind::kDouble)) {
        table.set_double(metre, axis, cells.f64());
      }
    }
  }
  return table;
}

}  // namespace scenario

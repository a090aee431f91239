#include "format/curve_image.h"

#include <string>
#include <vector>

#include "format/marks.h"

namespace scenario {
namespace {

struct Cell {
  uint64_t offset;
  uint8_t kind;
  double value;
};

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
  std::vector<Cell> cells;
  cells.reserve(bytes.size() / 10 + 1);
  ByteReader in(bytes);
  while (!in.at_end()) {
    const uint64_t at = in.offset();
    if (cells.size() == 2 * kMaxCellsPerAxis) {
      return DecodeError{at, "more than " + std::to_string(2 * kMaxCellsPerAxis) +
                                 " cells: longer than the longest route (1,000,000 m and the "
                                 "7000 m run-out) on two axes"};
    }
    const std::string index = "cell " + std::to_string(cells.size());
    if (in.left() < 2) return DecodeError{at, index + ": truncated tag (1 byte left of 2)"};
    const uint16_t tag = in.u16();
    size_t width = 0;
    if (tag == static_cast<uint16_t>(CellKind::kInt16)) {
      width = 2;
    } else if (tag == static_cast<uint16_t>(CellKind::kDouble)) {
      width = 8;
    } else if (tag != static_cast<uint16_t>(CellKind::kEmpty)) {
      return DecodeError{at, index + ": unknown variant tag " + std::to_string(tag) +
                                 " (known: 0 empty, 2 integer, 5 double)"};
    }
    if (in.left() < width) {
      return DecodeError{at, index + ": truncated cell: tag " + std::to_string(tag) + " needs " +
                                 std::to_string(width) + " value bytes, " + byte_count(in.left()) +
                                 " left"};
    }
    double v = 0;
    if (width == 2) v = in.i16();
    if (width == 8) v = in.f64();
    cells.push_back({at, static_cast<uint8_t>(tag), v});
  }
  if (cells.size() % 2 != 0) {
    return DecodeError{bytes.size(), "the file holds " + std::to_string(cells.size()) +
                                         " cells, an odd number: they do not split into two "
                                         "axes of equal length"};
  }
  const size_t per_axis = cells.size() / 2;
  for (size_t m = 0; m < per_axis; ++m) {
    const Cell& x = cells[m];
    const Cell& y = cells[per_axis + m];
    if (x.kind != y.kind) {
      return DecodeError{y.offset, "cell " + std::to_string(per_axis + m) + " (axis 1, metre " +
                                       std::to_string(m) + ") is " + kind_name(y.kind) +
                                       " but axis 0 metre " + std::to_string(m) + " is " +
                                       kind_name(x.kind) + ": the axes do not line up"};
    }
  }
  CurveTable table;
  table.create(static_cast<int64_t>(per_axis) - 1);
  for (int axis = 0; axis < 2; ++axis) {
    for (size_t m = 0; m < per_axis; ++m) {
      const Cell& c = cells[axis * per_axis + m];
      const auto metre = static_cast<int64_t>(m);
      if (c.kind == static_cast<uint8_t>(CellKind::kInt16)) {
        table.set_int16(metre, axis, static_cast<int16_t>(c.value));
      } else if (c.kind == static_cast<uint8_t>(CellKind::kDouble)) {
        table.set_double(metre, axis, c.value);
      }
    }
  }
  return table;
}

}  // namespace scenario

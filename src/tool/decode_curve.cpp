#include "tool/decode_curve.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "tool/byte_reader.h"

namespace scenario::tool {
namespace {

constexpr double kStraightTurn = 1e-7;  // rad per metre
constexpr double kRunTolerance = 0.01;  // relative change of the turn that ends a run
constexpr double kPi = 3.14159265358979323846;
// Metres 0 to E of the longest route the compiler accepts: E = 1,000,000 + 7000.
constexpr size_t kMaxCellsPerAxis = 1'007'001;

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

bool has_point(const CurveTable& table, int64_t metre) {
  return table.kind(metre, 0) != CellKind::kEmpty && table.kind(metre, 1) != CellKind::kEmpty &&
         std::isfinite(table.value(metre, 0)) && std::isfinite(table.value(metre, 1));
}

PlanSummary summarize_plan(const CurveTable& table) {
  PlanSummary s;
  if (!table.exists()) return s;
  s.last_metre = table.last_metre();
  const auto& kinds = table.kinds(0);
  for (uint8_t k : kinds) {
    if (k == static_cast<uint8_t>(CellKind::kInt16)) ++s.int16_cells;
    if (k == static_cast<uint8_t>(CellKind::kDouble)) ++s.double_cells;
    if (k == static_cast<uint8_t>(CellKind::kEmpty)) ++s.empty_cells;
  }
  for (int64_t m = 0; m <= s.last_metre; ++m) {
    if (!has_point(table, m)) continue;
    const double x = table.value(m, 0);
    const double y = table.value(m, 1);
    if (!s.has_points) {
      s.min_x = s.max_x = x;
      s.min_y = s.max_y = y;
      s.has_points = true;
    }
    s.min_x = std::min(s.min_x, x);
    s.max_x = std::max(s.max_x, x);
    s.min_y = std::min(s.min_y, y);
    s.max_y = std::max(s.max_y, y);
  }

  // turn[m]: how much the step into metre m turned from the step into metre m - 1, positive
  // clockwise (to the right with X east and Y north).
  double total = 0;
  PlanCurve run;
  double run_turn = 0;  // the turn per metre that the current run started with
  double run_arc = 0;
  bool in_run = false;
  const auto close_run = [&]() {
    if (!in_run) return;
    run.radius =
        std::abs(run.turn_degrees) > 0 ? run_arc / (std::abs(run.turn_degrees) * kPi / 180) : 0;
    s.curves.push_back(run);
    in_run = false;
  };
  for (int64_t m = 2; m <= s.last_metre; ++m) {
    if (!has_point(table, m) || !has_point(table, m - 1) || !has_point(table, m - 2)) {
      close_run();
      continue;
    }
    const double ax = table.value(m - 1, 0) - table.value(m - 2, 0);
    const double ay = table.value(m - 1, 1) - table.value(m - 2, 1);
    const double bx = table.value(m, 0) - table.value(m - 1, 0);
    const double by = table.value(m, 1) - table.value(m - 1, 1);
    const double turn = -std::atan2(ax * by - ay * bx, ax * bx + ay * by);
    total += turn;
    const bool turning = std::abs(turn) > kStraightTurn;
    if (in_run && (!turning || std::abs(turn - run_turn) > kRunTolerance * std::abs(run_turn))) {
      close_run();
    }
    if (!turning) continue;
    if (!in_run) {
      in_run = true;
      run = PlanCurve{};
      run.start = m - 1;
      run_turn = turn;
      run_arc = 0;
    }
    ++run.length;
    run.turn_degrees += turn * 180 / kPi;
    run_arc += std::hypot(bx, by);
  }
  close_run();
  s.total_turn_degrees = total * 180 / kPi;
  return s;
}

}  // namespace scenario::tool

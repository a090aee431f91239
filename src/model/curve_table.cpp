#include "model/curve_table.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace scenario {

void CurveTable::create(int64_t extended_length, ZeroedBlock::Source source) {
  if (extended_length < 0) throw std::length_error("a curve table of negative length");
  const auto cells = static_cast<size_t>(extended_length) + 1;
  // The two value columns first, so that each double is aligned; the kind bytes after them.
  ZeroedBlock memory(cells * (2 * sizeof(double) + 2), source);
  auto* base = static_cast<unsigned char*>(memory.data());
  // The old table goes only once the new one exists.
  memory_ = std::move(memory);
  cells_ = cells;
  value_[0] = reinterpret_cast<double*>(base);
  value_[1] = value_[0] + cells;
  kind_[0] = base + 2 * cells * sizeof(double);
  kind_[1] = kind_[0] + cells;
}

CurveTable& CurveTable::operator=(CurveTable&& other) noexcept {
  if (this != &other) {
    memory_ = std::move(other.memory_);
    cells_ = std::exchange(other.cells_, 0);
    for (int a = 0; a < 2; ++a) {
      kind_[a] = std::exchange(other.kind_[a], nullptr);
      value_[a] = std::exchange(other.value_[a], nullptr);
    }
  }
  return *this;
}

void CurveTable::clear() {
  memory_ = ZeroedBlock();
  cells_ = 0;
  kind_[0] = kind_[1] = nullptr;
  value_[0] = value_[1] = nullptr;
}

size_t CurveTable::checked(int64_t metre) const {
  if (metre < 0 || static_cast<uint64_t>(metre) >= cells_) {
    throw std::out_of_range("metre " + std::to_string(metre) + " outside the curve table");
  }
  return static_cast<size_t>(metre);
}

void CurveTable::set_int16(int64_t metre, int axis, int16_t v) {
  const size_t m = checked(metre);
  kind_[axis][m] = static_cast<uint8_t>(CellKind::kInt16);
  value_[axis][m] = v;
}

void CurveTable::set_double(int64_t metre, int axis, double v) {
  const size_t m = checked(metre);
  kind_[axis][m] = static_cast<uint8_t>(CellKind::kDouble);
  value_[axis][m] = v;
}

}  // namespace scenario

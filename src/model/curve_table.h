// The curve table: the track's plan coordinates at every metre, metres 0 to E, axes 0 and 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "model/zeroed_block.h"

namespace scenario {

// The kind of a variant cell; the values are the type tags of the file image.
enum class CellKind : uint8_t { kEmpty = 0, kInt16 = 2, kDouble = 5 };

// Cells are kept compact: one kind byte and one double per cell (a 16-bit integer is held
// exactly in the double), so a 1,000 km route needs about 18 MB. All four columns share one
// block of kernel-zeroed memory: every cell starts empty (kind 0, value 0) without a pass of
// its own, and the table fits as few huge pages as its size allows.
class CurveTable {
 public:
  CurveTable() = default;
  // A moved-from table is empty.
  CurveTable(CurveTable&& other) noexcept { *this = std::move(other); }
  CurveTable& operator=(CurveTable&& other) noexcept;

  // Allocates metres 0 to extended_length of both axes, every cell empty. Throws
  // std::bad_alloc.
  void create(int64_t extended_length, ZeroedBlock::Source source = ZeroedBlock::default_source());
  void clear();
  bool exists() const { return cells_ != 0; }
  // E, the last metre.
  int64_t last_metre() const { return static_cast<int64_t>(cells_) - 1; }

  // Checked access; throws std::out_of_range outside metres 0 to E.
  CellKind kind(int64_t metre, int axis) const {
    return static_cast<CellKind>(kind_[axis][checked(metre)]);
  }
  double value(int64_t metre, int axis) const { return value_[axis][checked(metre)]; }
  void set_int16(int64_t metre, int axis, int16_t v);
  void set_double(int64_t metre, int axis, double v);

  // Direct access for the plan recurrence and the image writer.
  std::span<const uint8_t> kinds(int axis) const { return {kind_[axis], cells_}; }
  std::span<const double> values(int axis) const { return {value_[axis], cells_}; }
  // Unchecked writable access for the plan recurrence, which keeps within metres 0 to E itself.
  uint8_t* kind_data(int axis) { return kind_[axis]; }
  double* value_data(int axis) { return value_[axis]; }

 private:
  size_t checked(int64_t metre) const;

  ZeroedBlock memory_;
  size_t cells_ = 0;  // per axis: E + 1
  uint8_t* kind_[2] = {nullptr, nullptr};
  double* value_[2] = {nullptr, nullptr};
};

}  // namespace scenario

// The curve table: the track's plan coordinates at every metre, metres 0 to E, axes 0 and 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scenario {

// The kind of a variant cell; the values are the type tags of the file image.
enum class CellKind : uint8_t { kEmpty = 0, kInt16 = 2, kDouble = 5 };

// Cells are kept compact: one kind byte and one double per cell (a 16-bit integer is held
// exactly in the double), so a 1,000 km route needs about 18 MB.
class CurveTable {
 public:
  // Allocates metres 0 to extended_length of both axes, every cell empty.
  void create(int64_t extended_length);
  void clear();
  bool exists() const { return !kind_[0].empty(); }
  // E, the last metre.
  int64_t last_metre() const { return static_cast<int64_t>(kind_[0].size()) - 1; }

  CellKind kind(int64_t metre, int axis) const {
    return static_cast<CellKind>(kind_[axis].at(static_cast<size_t>(metre)));
  }
  double value(int64_t metre, int axis) const {
    return value_[axis].at(static_cast<size_t>(metre));
  }
  void set_int16(int64_t metre, int axis, int16_t v);
  void set_double(int64_t metre, int axis, double v);

  // Direct access for the plan recurrence and the image writer.
  const std::vector<uint8_t>& kinds(int axis) const { return kind_[axis]; }
  const std::vector<double>& values(int axis) const { return value_[axis]; }
  // Unchecked writable access for the plan recurrence, which keeps within metres 0 to E itself.
  uint8_t* kind_data(int axis) { return kind_[axis].data(); }
  double* value_data(int axis) { return value_[axis].data(); }

 private:
  std::vector<uint8_t> kind_[2];
  std::vector<double> value_[2];
};

}  // namespace scenario

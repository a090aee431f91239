#include "model/curve_table.h"

namespace scenario {

void CurveTable::create(int64_t extended_length) {
  for (int a = 0; a < 2; ++a) {
    kind_[a].assign(static_cast<size_t>(extended_length) + 1,
                    static_cast<uint8_t>(CellKind::kEmpty));
    value_[a].assign(static_cast<size_t>(extended_length) + 1, 0.0);
  }
}

void CurveTable::clear() {
  for (int a = 0; a < 2; ++a) {
    kind_[a] = {};
    value_[a] = {};
  }
}

void CurveTable::set_int16(int64_t metre, int axis, int16_t v) {
  kind_[axis].at(static_cast<size_t>(metre)) = static_cast<uint8_t>(CellKind::kInt16);
  value_[axis][static_cast<size_t>(metre)] = v;
}

void CurveTable::set_double(int64_t metre, int axis, double v) {
  kind_[axis].at(static_cast<size_t>(metre)) = static_cast<uint8_t>(CellKind::kDouble);
  value_[axis][static_cast<size_t>(metre)] = v;
}

}  // namespace scenario

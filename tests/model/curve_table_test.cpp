// The curve table's life: every cell empty when created, afresh on a second create, nothing
// held once cleared or moved from, and access outside metres 0 to E refused.
#include "model/curve_table.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace scenario {
namespace {

void expect_all_empty(const CurveTable& t) {
  for (int axis = 0; axis < 2; ++axis) {
    for (int64_t m = 0; m <= t.last_metre(); ++m) {
      ASSERT_EQ(t.kind(m, axis), CellKind::kEmpty) << m;
      ASSERT_EQ(t.value(m, axis), 0.0) << m;
    }
  }
}

TEST(CurveTable, ASecondCreateStartsEmptyAgain) {
  for (const auto source : {ZeroedBlock::Source::kPages, ZeroedBlock::Source::kHeap}) {
    CurveTable t;
    EXPECT_FALSE(t.exists());
    t.create(100000, source);
    ASSERT_TRUE(t.exists());
    EXPECT_EQ(t.last_metre(), 100000);
    expect_all_empty(t);
    for (int64_t m = 0; m <= 100000; ++m) {
      t.set_double(m, 0, 1.5);
      t.set_int16(m, 1, -7);
    }
    // A second route length row: a table of the new length, nothing of the first left in it.
    t.create(7000, source);
    EXPECT_EQ(t.last_metre(), 7000);
    expect_all_empty(t);
    t.clear();
    EXPECT_FALSE(t.exists());
    EXPECT_TRUE(t.kinds(0).empty());
  }
}

TEST(CurveTable, MovingTakesTheCellsAndLeavesAnEmptyTable) {
  CurveTable a;
  a.create(7000);
  a.set_double(2, 1, 2.0);
  CurveTable b(std::move(a));
  EXPECT_FALSE(a.exists());
  EXPECT_EQ(a.last_metre(), -1);
  EXPECT_EQ(b.kind(2, 1), CellKind::kDouble);
  EXPECT_EQ(b.value(2, 1), 2.0);
  a = std::move(b);
  EXPECT_EQ(a.value(2, 1), 2.0);
  EXPECT_FALSE(b.exists());
}

TEST(CurveTable, AccessOutsideTheMetresIsRefused) {
  CurveTable t;
  t.create(7000);
  EXPECT_THROW(t.kind(-1, 0), std::out_of_range);
  EXPECT_THROW(t.value(7001, 1), std::out_of_range);
  EXPECT_THROW(t.set_double(7001, 0, 1.0), std::out_of_range);
  EXPECT_THROW(t.set_int16(-1, 1, 0), std::out_of_range);
  EXPECT_NO_THROW(t.set_double(7000, 1, 1.0));
  CurveTable none;
  EXPECT_THROW(none.kind(0, 0), std::out_of_range);
}

}  // namespace
}  // namespace scenario

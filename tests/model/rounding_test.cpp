#include "model/rounding.h"

#include <gtest/gtest.h>

#include "model/track_array.h"

namespace scenario {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  const struct {
    double x;
    double r;
  } cases[] = {{0.5, 0},   {1.5, 2},   {2.5, 2},   {-0.5, 0}, {-1.5, -2},
               {19.5, 20}, {20.5, 20}, {10.2, 10}, {37.5, 38}};
  for (const auto& c : cases) EXPECT_EQ(round_half_even(c.x), c.r) << c.x;
}

TEST(Rounding, TrackSizes) {
  EXPECT_EQ(TrackArray::upper_index_for(0), 140);
  EXPECT_EQ(TrackArray::upper_index_for(93000), 2000);
  EXPECT_EQ(TrackArray::upper_index_for(25), 140);  // 140.5 -> 140
  EXPECT_EQ(TrackArray::upper_index_for(75), 142);  // 141.5 -> 142
  EXPECT_EQ(TrackArray::upper_index_for(1000000), 20140);
}

}  // namespace
}  // namespace scenario

// The drawings' tick lists: bounded whatever the numbers, and exact where they are sound.
#include "inspect/svg_canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace scenario {
namespace {

TEST(SvgTicks, AreTheMultiplesOfTheStepOrNoneWhenThereWouldBeTooMany) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    double lo, hi, step;
    std::vector<double> expected;
  };
  const Case cases[] = {
      {"a plain axis", 0, 10, 2, {0, 2, 4, 6, 8, 10}},
      {"ends off the grid", -3, 7, 5, {0, 5}},
      {"a fraction of the step", 0.1, 0.2, 1, {}},
      {"ends a rounding error away", 0, 0.3, 0.1, {0, 0.1, 0.2, 0.3}},
      // A step of 1 at 1e16 adds nothing to the value: a summing loop never ended there.
      {"a step too small for its values", 1e16, 1e16 + 1e6, 1, {}},
      {"more than the most", 0, 1e16, 1, {}},
      {"not a number", nan, 10, 1, {}},
      {"an infinite end", 0, inf, 1, {}},
      {"a step of 0", 0, 10, 0, {}},
      {"a negative step", 0, 10, -1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<double> got = svg::ticks(c.lo, c.hi, c.step, 60);
    ASSERT_EQ(got.size(), c.expected.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.expected[i], 1e-12);
  }
  EXPECT_EQ(svg::ticks(0, 59, 1, 60).size(), 60u);
  EXPECT_TRUE(svg::ticks(0, 60, 1, 60).empty());
}

}  // namespace
}  // namespace scenario

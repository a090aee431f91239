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

// Labels are kept only inside their region and clear of what was kept before, turned boxes
// compared as turned (two slanted names side by side touch only where they really do).
TEST(SvgLabelSpace, KeepsALabelOnlyWhereItFitsAlone) {
  using svg::Anchor;
  using svg::text_box;
  svg::LabelSpace space(0, 0, 400, 200);
  const double w = svg::text_width("STAZIONE", 10);
  EXPECT_NEAR(w, 8 * 10 * 0.72, 1e-9);
  EXPECT_TRUE(space.take(text_box(100, 100, w, 10, Anchor::kStart)));
  struct Case {
    const char* what;
    svg::TextBox box;
    bool fits;
  };
  const Case cases[] = {
      {"the same place again", text_box(100, 100, w, 10, Anchor::kStart), false},
      {"a line below", text_box(100, 112, w, 10, Anchor::kStart), true},
      {"half a line below", text_box(100, 106, w, 10, Anchor::kStart), false},
      {"ending where it starts", text_box(100, 100, w, 10, Anchor::kEnd), true},
      {"centred on its start", text_box(100, 100, w, 10, Anchor::kMiddle), false},
      {"past the region's right edge", text_box(390, 50, w, 10, Anchor::kStart), false},
      {"above the region", text_box(10, 5, w, 10, Anchor::kStart), false},
      // Slanted at -40 degrees, 30 px apart along the baseline: clear of each other, though
      // their upright bounding boxes overlap.
      {"slanted", text_box(200, 190, w, 10, Anchor::kStart, -40), true},
      {"slanted 30 px on", text_box(230, 190, w, 10, Anchor::kStart, -40), true},
      {"slanted 8 px on", text_box(238, 190, w, 10, Anchor::kStart, -40), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(space.take(c.box), c.fits);
  }
  // A line is an obstacle to labels, and a stroke may not cross a label.
  space.block_segment(0, 150, 400, 150);
  EXPECT_FALSE(space.take(text_box(20, 152, 30, 10, Anchor::kStart)));
  EXPECT_TRUE(space.take(text_box(20, 140, 30, 10, Anchor::kStart)));
  EXPECT_FALSE(space.segment_clear(10, 100, 200, 100));
  EXPECT_TRUE(space.segment_clear(10, 20, 200, 20));
}

TEST(SvgLabelSpace, RefusesEveryLabelAfterItsBudgetOfTries) {
  svg::LabelSpace space(0, 0, 1e6, 1e6, 100);
  size_t kept = 0;
  for (int i = 0; i < 1000; ++i) {
    kept += space.take(svg::text_box(20.0 * i, 20, 10, 10, svg::Anchor::kStart));
  }
  EXPECT_EQ(kept, 100u);
}

}  // namespace
}  // namespace scenario

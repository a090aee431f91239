// The fit's plan is the compile's plan: the same recurrence, metre for metre, bit for bit.
#include <gtest/gtest.h>

#include "import/alignment_fit.h"
#include "support/compile_fixture.h"

namespace scenario {
namespace {

TEST(CompiledPlan, IsTheCurveTableOfTheCompile) {
  const std::vector<CurveRow> rows = {{1, 40, 6, false},    {200, 150, 2, true},
                                      {350, 600, 5, false}, {2000, 1200, 1, true},
                                      {3200, 10, 3, false}, {5000, 800, 4, true}};
  std::string body;
  for (const CurveRow& r : rows) {
    body += curve_keyword(r) + ", " + std::to_string(r.start) + ", " + std::to_string(r.length) +
            "\r\n";
  }
  const testing::Compiled c = testing::compile(testing::line_with_body(body, 8000));
  ASSERT_EQ(c.status(), 0);
  const std::vector<PlanePoint> plan = compiled_plan(rows, 8000);
  for (int64_t m = 0; m <= 8000; ++m) {
    ASSERT_EQ(plan[m].x, c.state->curves.value(m, 0)) << "metre " << m;
    ASSERT_EQ(plan[m].y, c.state->curves.value(m, 1)) << "metre " << m;
  }
}

}  // namespace
}  // namespace scenario

// Numbers of the --json listings: computed values go out as the decimals they are computed to.
#include "inspect/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace scenario {
namespace {

TEST(JsonDecimal, PrintsTheDecimalNotTheNearestDoublesNoise) {
  struct Case {
    double value;
    int places;
    const char* json;
  };
  const Case cases[] = {
      // What a product of the rounding unit printed: 6369 * 0.01 and 14389 * 0.01.
      {6369 * 0.01, 2, "63.69"},   {14389 * 0.01, 2, "143.89"},
      {0.1 + 0.2, 2, "0.3"},       {24913.940000000002, 2, "24913.94"},
      {16 + 7 * 26.4, 6, "200.8"}, {0.6 * 0.792, 6, "0.4752"},
      {2.674999, 2, "2.67"},       {-0.004, 2, "0.0"},
      {-12.345678, 3, "-12.346"},  {1000000.125, 2, "1000000.13"},
      {75650, 2, "75650.0"},       {1e300, 2, "1e+300"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    EXPECT_EQ(json_number(c.value, c.places).dump(), c.json);
  }
  // Every time of a day to the hundredth of a second, and every position of a 1,000 km route
  // to the centimetre, comes out as written.
  for (int64_t k = 0; k < 100'000'000; k += 9973) {
    const double v = static_cast<double>(k) / 100;
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.2f", v);
    std::string e = expected;
    while (e.back() == '0' && e[e.size() - 2] != '.') e.pop_back();
    ASSERT_EQ(json_number(v * (1 + 1e-15), 2).dump(), e) << k;
  }
  // What JSON cannot hold stays a string of its bits.
  EXPECT_TRUE(json_number(std::numeric_limits<double>::quiet_NaN(), 2).is_string());
}

}  // namespace
}  // namespace scenario

// The route's limits with slowdowns, and the line's kilometrage from the progressives.
#include "timing/speed_profile.h"

#include <gtest/gtest.h>

#include "timing/kilometrage.h"

namespace scenario::timing {
namespace {

std::string dump(const std::vector<LimitRun>& runs) {
  std::string s;
  for (const LimitRun& r : runs) {
    s += (s.empty() ? "" : " ") + std::to_string(static_cast<int>(r.from)) + "-" +
         std::to_string(static_cast<int>(r.to)) + ":" + std::to_string(static_cast<int>(r.kmh));
  }
  return s;
}

TEST(RouteLimits, MergesBlocksAndLowersThemUnderSlowdownsAndTheTrainsMaximum) {
  RunInput in;
  in.limit_kmh = {80, 80, 140, 140, 140, 140, 140, 140};
  struct Case {
    const char* what;
    std::vector<Slowdown> slowdowns;
    double max_speed;
    const char* expected;
  };
  const Case cases[] = {
      {"blocks alone", {}, 500, "0-100:80 100-400:140"},
      {"the train's maximum", {}, 120, "0-100:80 100-400:120"},
      {"a slowdown inside blocks",
       {{125, 210, 60}},
       500,
       "0-100:80 100-125:140 125-210:60 210-400:140"},
      {"overlapping slowdowns",
       {{150, 300, 100}, {200, 250, 30}},
       500,
       "0-100:80 100-150:140 150-200:100 200-250:30 250-300:100 300-400:140"},
      {"a slowdown above the limit", {{0, 100, 100}}, 500, "0-100:80 100-400:140"},
  };
  for (const Case& c : cases) {
    in.slowdowns = c.slowdowns;
    EXPECT_EQ(dump(route_limits(in, c.max_speed)), c.expected) << c.what;
  }
}

TEST(LineKilometre, TakesTheProgressiveInForceAndItsDirection) {
  // The built-in scenario's progressives as compiled: falling from 75,800 m, then from 88,600.
  const std::vector<Progressive> builtin = {{0, 75800, 1}, {75750, 88600, 1}};
  struct Case {
    std::vector<Progressive> progressives;
    double position, expected;
  };
  const Case cases[] = {
      {builtin, 50, 75750},
      {builtin, 75700, 100},
      {builtin, 75750, 12850},
      {builtin, 88500, 100},
      {{{1000, 5000, 0}}, 3000, 8000},  // rising along the route
      {{{1000, 5000, 0}}, 500, 500},    // before any progressive: the route position
      {{}, 1234, 1234},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(line_kilometre(c.progressives, c.position), c.expected) << c.position;
  }
}

}  // namespace
}  // namespace scenario::timing

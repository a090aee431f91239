// The kilometre progressives of slots 81 to 83: ordered by start, or by use when every start
// is 0, then the offset of 100 for a direction flag of exactly 1.
#include "line_reader/progressive_ordina.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

#include "source/read_failure.h"

namespace scenario {
namespace {

struct Triple {
  int32_t start, value, direction;
  bool operator==(const Triple&) const = default;
};
using Slots = std::array<Triple, 3>;  // slots 81, 82, 83

Slots ordered(const Slots& in) {
  GeneralTable t;
  for (int i = 0; i < 3; ++i) {
    t[81 + i].long1 = in[i].start;
    t[81 + i].long2 = in[i].value;
    t[81 + i].long3 = in[i].direction;
  }
  progressive_ordina(t);
  Slots out;
  for (int i = 0; i < 3; ++i) out[i] = {t[81 + i].long1, t[81 + i].long2, t[81 + i].long3};
  return out;
}

TEST(ProgressiveOrdina, OrdersAndOffsets) {
  struct Case {
    const char* name;
    Slots in;    // slot 81 ("tre"), 82 ("due"), 83 ("uno")
    Slots want;  // slots 81, 82, 83 afterwards
  } cases[] = {
      {"the sample",
       {{{0, 0, 0}, {75750, 88500, 1}, {0, 75700, 1}}},
       {{{75750, 88600, 1}, {0, 75800, 1}, {0, 0, 0}}}},
      {"already in order",
       {{{200, 1, 0}, {100, 2, 0}, {0, 3, 0}}},
       {{{200, 1, 0}, {100, 2, 0}, {0, 3, 0}}}},
      {"reversed rows",
       {{{0, 3, 0}, {100, 2, 0}, {200, 1, 0}}},
       {{{200, 1, 0}, {100, 2, 0}, {0, 3, 0}}}},
      {"the two largest starts equal",
       {{{300, 1, 1}, {300, 2, 1}, {0, 3, 1}}},
       {{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}}},
      // Two smaller starts equal: the higher-numbered slot's triple goes to slot 82.
      {"the two smaller starts equal",
       {{{500, 1, 0}, {0, 2, 0}, {0, 3, 0}}},
       {{{500, 1, 0}, {0, 3, 0}, {0, 2, 0}}}},
      {"all starts 0, a value in uno only",
       {{{0, 0, 0}, {0, 0, 0}, {0, 75700, 0}}},
       {{{0, 75700, 0}, {0, 0, 0}, {0, 0, 0}}}},
      {"all starts 0, the later case wins",
       {{{0, 10, 0}, {0, 20, 0}, {0, 30, 0}}},
       {{{0, 30, 0}, {0, 20, 0}, {0, 10, 0}}}},
      {"all starts 0, no value above 0",
       {{{0, 0, 1}, {0, -5, 1}, {0, 0, 2}}},
       {{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}}},
      {"only a flag of exactly 1 adds 100",
       {{{300, 1000, 2}, {200, 1000, -1}, {100, 1000, 1}}},
       {{{300, 1000, 2}, {200, 1000, -1}, {100, 1100, 1}}}},
  };
  for (const Case& k : cases) {
    const Slots got = ordered(k.in);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(got[i], k.want[i]) << k.name << ", slot " << 81 + i << ": (" << got[i].start << ", "
                                   << got[i].value << ", " << got[i].direction << ")";
    }
  }
}

TEST(ProgressiveOrdina, AnOffsetBeyond32BitsIsAReadingFailure) {
  GeneralTable t;
  t[83].long2 = INT32_MAX - 50;
  t[83].long3 = 1;
  t[83].long1 = 100;
  EXPECT_THROW(progressive_ordina(t), ReadFailure);
}

}  // namespace
}  // namespace scenario

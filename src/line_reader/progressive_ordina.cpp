#include "line_reader/progressive_ordina.h"

#include <cstdint>

#include "source/read_failure.h"

namespace scenario {
namespace {

struct Triple {
  int32_t start = 0;
  int32_t value = 0;
  int32_t direction = 0;
};

Triple load(const GeneralEntry& e) { return {e.long1, e.long2, e.long3}; }

void store(GeneralEntry& e, const Triple& t) {
  e.long1 = t.start;
  e.long2 = t.value;
  e.long3 = t.direction;
}

}  // namespace

void progressive_ordina(GeneralTable& table) {
  const Triple a = load(table[GeneralTable::kProgressiveLast]);
  const Triple b = load(table[GeneralTable::kProgressiveMiddle]);
  const Triple c = load(table[GeneralTable::kProgressiveFirst]);
  Triple r, s, t;
  const int64_t sum = static_cast<int64_t>(a.start) + b.start + c.start;
  if (sum != 0) {
    if (a.start > b.start && a.start > c.start) {
      r = a;
      if (b.start > c.start) {
        s = b, t = c;
      } else {
        s = c, t = b;
      }
    }
    if (b.start > a.start && b.start > c.start) {
      r = b;
      if (a.start > c.start) {
        s = a, t = c;
      } else {
        s = c, t = a;
      }
    }
    if (c.start > a.start && c.start > b.start) {
      r = c;
      if (a.start > b.start) {
        s = a, t = b;
      } else {
        s = b, t = a;
      }
    }
  } else {
    // All starts at 0: order by use, each later case overriding an earlier one.
    if (a.value > 0) r = a, s = b, t = c;
    if (b.value > 0) r = b, s = a, t = c;
    if (c.value > 0) r = c, s = b, t = a;
  }
  store(table[GeneralTable::kProgressiveLast], r);
  store(table[GeneralTable::kProgressiveMiddle], s);
  store(table[GeneralTable::kProgressiveFirst], t);
  for (int slot = GeneralTable::kProgressiveLast; slot <= GeneralTable::kProgressiveFirst; ++slot) {
    GeneralEntry& e = table[slot];
    if (e.long3 != 1) continue;
    if (e.long2 > INT32_MAX - GeneralTable::kFallingProgressiveOffset) {
      throw ReadFailure("a kilometre progressive value overflows");
    }
    e.long2 += GeneralTable::kFallingProgressiveOffset;
  }
}

}  // namespace scenario

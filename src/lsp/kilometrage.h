// The line's own kilometrage, from its kilometre progressives as the author wrote them, and the
// block of a route position: what an author wants to know of a position while writing it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lsp/source_outline.h"

namespace scenario::lsp {

// One progressive: from start on, the line's kilometre is value, falling as the route position
// grows when direction is 1, rising otherwise.
struct Progressive {
  int64_t start = 0;
  int64_t value = 0;
  int64_t direction = 0;
};

// The progressives of a line source outline that are in use (an all-zero one is not).
std::vector<Progressive> progressives_of(const SourceOutline& line);

// The line's kilometre at route position p, in metres: from the progressive with the greatest
// start at or before p (the first such when several share it); nullopt when none applies.
std::optional<int64_t> kilometre_at(const std::vector<Progressive>& progressives, int64_t p);

// "km 72+400", or "km -0+250" below zero.
std::string kilometre_text(int64_t metres);

// The track block that holds route position p: round(p / 50), halves to even.
int64_t block_of(int64_t p);

}  // namespace scenario::lsp

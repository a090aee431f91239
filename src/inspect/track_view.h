// The view of a ".dat" file: the format mark and code of block 1, the coded blocks with their
// arguments, the step functions of the marks as runs, and the approach marks; printed as text
// or as JSON.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "inspect/mark_runs.h"
#include "model/track_array.h"

namespace scenario {

// A block that holds a code.
struct TrackItem {
  int64_t block = 0;
  uint8_t code = 0;
  const char* meaning = nullptr;  // null for an unknown code
  std::string arguments;          // its values by meaning, then any other value set
};

// One mark's step function: value = mark × scale + offset, in unit.
struct MarkRuns {
  const char* title;
  const char* json_name;
  int scale;
  int offset;
  const char* unit;
  std::vector<Run> runs;
};

struct TrackView {
  std::string file;
  size_t bytes = 0;
  std::vector<TrackBlock> blocks;
  std::optional<int16_t> format_mark;    // block 1 value1; none without a block 1
  std::optional<int16_t> scenario_code;  // block 1 value2
  std::vector<TrackItem> items;
  std::vector<MarkRuns> runs;                           // speed limit, gradient, adhesion, mountain
  std::vector<std::pair<int64_t, int>> approach_marks;  // block, mark11
};

TrackView track_view(std::string file, size_t bytes, std::vector<TrackBlock> blocks);

void print_text(const TrackView& v, std::ostream& out);
void print_json(const TrackView& v, std::ostream& out);

}  // namespace scenario

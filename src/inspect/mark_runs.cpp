#include "inspect/mark_runs.h"

namespace scenario {

std::vector<Run> mark_runs(const std::vector<TrackBlock>& blocks, uint8_t TrackBlock::*mark) {
  std::vector<Run> runs;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const int v = blocks[i].*mark;
    const auto b = static_cast<int64_t>(i);
    if (!runs.empty() && runs.back().value == v) {
      runs.back().last_block = b;
    } else {
      runs.push_back({b, b, v});
    }
  }
  return runs;
}

}  // namespace scenario

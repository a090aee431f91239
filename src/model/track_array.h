// The track array: one block per 50 m of route, blocks 0 to N.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scenario {

// Metres per block: a block b is reported at position b × 50.
inline constexpr int64_t kBlockMetres = 50;
// The run-out beyond the route's end that both grids cover: E = L + 7000.
inline constexpr int64_t kRunOutMetres = 7000;

// Block codes written by the placers and read by the compiler.
enum BlockCode : uint8_t {
  kPlainTrack = 0,
  kSignal = 1,
  kSlowdownEnd = 2,
  kSlowdownStart = 3,
  kSlowdownWarning = 4,
  kPreWarning = 5,
  kSpeedBoard = 6,
  kStopMarker = 10,
  kMountainFiller = 11,
  kCodeCutValue = 12,
  kCodeCut = 13,
  kIndicationBoard = 14,
};

// One 50 m block; fields in the order of the file image.
struct TrackBlock {
  uint8_t code = 0;
  int16_t value1 = 0;
  int16_t value2 = 0;
  int16_t value3 = 0;
  int16_t value4 = 0;
  uint8_t mark10 = 0;
  uint8_t mark11 = 0;
  uint8_t mark12 = 0;
  uint8_t mark13 = 0;
  uint8_t mark14 = 0;
  uint8_t mark15 = 0;

  // A block is free for a new item when nothing, or only a mountain filler, stands on it.
  bool is_free() const { return code == kPlainTrack || code == kMountainFiller; }
  bool operator==(const TrackBlock&) const = default;
};

// Blocks 0 to N; empty (no blocks at all) until the route length sizes it.
class TrackArray {
 public:
  // Sized for a route of length metres: N = round((length + 7000) / 50).
  static int32_t upper_index_for(int64_t route_length);

  void create(int64_t route_length);
  bool exists() const { return !blocks_.empty(); }
  // N, the last block index; only meaningful when exists().
  int32_t upper() const { return static_cast<int32_t>(blocks_.size()) - 1; }
  bool contains(int64_t index) const { return index >= 0 && index <= upper(); }

  TrackBlock& operator[](int64_t i) { return blocks_.at(static_cast<size_t>(i)); }
  const TrackBlock& operator[](int64_t i) const { return blocks_.at(static_cast<size_t>(i)); }
  const std::vector<TrackBlock>& blocks() const { return blocks_; }

 private:
  std::vector<TrackBlock> blocks_;
};

}  // namespace scenario

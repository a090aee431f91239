#include "line_reader/line_recorders.h"

#include <algorithm>
#include <limits>

#include "model/rounding.h"
#include "source/read_failure.h"
#include "source/status_codes.h"
#include "source/track_access.h"

namespace scenario {
namespace {

int16_t to_int16_checked(double x, const char* what) {
  const double r = round_half_even(x);
  if (r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max()) {
    throw ReadFailure(std::string(what) + " does not fit 16 bits");
  }
  return static_cast<int16_t>(r);
}

}  // namespace

void memo_montagna(BuildState& state, int32_t start, int32_t end, int32_t kind) {
  bool periodic = false;
  if (kind > 10) {
    kind -= 10;
    periodic = true;
  }
  MountainRegister& reg = state.mountains;
  ++reg.count;
  // The register keeps 80 ranges; later ones still take part in the gap test below.
  const int32_t previous_end = reg.last_end;
  if (reg.count <= MountainRegister::kCapacity) {
    reg.starts[reg.count] = start;
    reg.ends[reg.count] = end;
  }
  reg.last_end = end;
  if (reg.count > 1 && static_cast<int64_t>(start) - previous_end <= 150) kind = 3;

  const int64_t first = round_to_int(start / 50.0);
  const int64_t last = round_to_int(end / 50.0 - 1);
  if (first > last) return;
  // The kind is a byte of the blocks: it can only fail where a block is written.
  if (kind < 0 || kind > 255) throw ReadFailure("a mountain kind does not fit a byte");
  TrackArray& track = state.track;
  block_in_track(track, first, "a mountain range");
  // A range running past the track is marked up to its last block.
  const int64_t to = std::min<int64_t>(last, track.upper());
  for (int64_t i = first; i <= to; ++i) {
    const int64_t n = i - first + 1;
    TrackBlock& b = track[i];
    b.mark12 = static_cast<uint8_t>(kind);
    if (periodic && n % 4 == 0 && b.code == kPlainTrack && (i - 4) * 50 < end) {
      b.code = kMountainFiller;
    }
  }
}

Recorded memo_indicatori_v_max(BuildState& state, int32_t position, const SpeedBoardValues& v) {
  const int64_t block = round_to_int(position / 50.0 + 1);
  TrackBlock& b = block_in_track(state.track, block, "a speed board");
  if (!b.is_free()) return {kSpeedBoardTaken, {}};
  // In the order of the row: a pair that does not fit fails with the fields before it written.
  b.code = kSpeedBoard;
  b.value1 = to_int16_checked(v.s1 * 20.0 + v.t1 / 5.0, "a speed board pair");
  b.value2 = to_int16_checked(v.s2 * 20.0 + v.t2 / 5.0, "a speed board pair");
  b.value3 = to_int16_checked(v.s3 * 20.0 + v.t3 / 5.0, "a speed board pair");
  b.value4 = static_cast<int16_t>(static_cast<uint16_t>(static_cast<int64_t>(v.c1) * 10 + v.c2));
  return {kClean, {block}};
}

}  // namespace scenario

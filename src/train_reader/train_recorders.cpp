#include "train_reader/train_recorders.h"

#include "format/marks.h"
#include "model/rounding.h"
#include "source/status_codes.h"

namespace scenario {
namespace {

int16_t low16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }
uint8_t low8(int64_t v) { return static_cast<uint8_t>(v); }

int64_t block_after(double metres) { return round_to_int(metres / 50.0 + 1); }

constexpr int32_t kWarningThreshold = kSlowdownWarningThreshold;
constexpr int32_t kWarningDistance = kSlowdownWarningDistance;

}  // namespace

bool signal_in_track(const TrackArray& track, int32_t p) { return track.contains(block_after(p)); }

bool slowdown_in_track(const TrackArray& track, int32_t p, const SlowdownFields& f) {
  const int64_t s = block_after(p);
  const int64_t e = block_after(static_cast<double>(p) + f.f3);
  if (!track.contains(s) || !track.contains(e)) return false;
  if (p > kWarningThreshold) {
    const int64_t w = block_after(static_cast<double>(p) - kWarningDistance);
    if (!track.contains(w)) return false;
    if (f.f5 != 0) {
      const int64_t r = round_to_int((static_cast<double>(p) - kWarningDistance) / 50.0);
      if (!track.contains(r) || !track.contains(r - 3)) return false;
    }
  }
  return true;
}

Recorded memo_segnale(BuildState& state, int32_t p, SignalFields& f) {
  TrackArray& track = state.track;
  const int64_t g = block_after(p);
  TrackBlock& b = track[g];
  if (!b.is_free()) return {kSignalTaken, {}};
  b.code = kSignal;
  b.value4 = low16(10LL * f.f6 + 3LL * f.f2 + f.f7);
  b.value1 = low16(10LL * f.f3 + f.f8);
  b.value2 = low16(10LL * f.f4 + f.f9);
  b.value3 = low16(10LL * f.f5 + f.f10);
  if (f.f11 >= 1 && f.f11 <= 100) f.f11 = 101;
  b.mark10 = f.f2 == 2 ? low8(f.f11) : 0;
  for (int i = 1; i <= 4; ++i) {
    const int64_t at = g - 2 * i;
    // Marks that would fall before the start of the track are dropped.
    if (at >= 0) track[at].mark11 = low8((3LL * f.f2 + f.f7) * 10 + i);
  }
  return {kClean, {g}};
}

Recorded memo_rallentamento(BuildState& state, int32_t p, SlowdownFields& f) {
  TrackArray& track = state.track;
  int32_t f5 = f.f5;
  int64_t w = 0;
  if (p > kWarningThreshold) {
    w = block_after(static_cast<double>(p) - kWarningDistance);
    if (!track[w].is_free()) return {kSlowdownWarningTaken, {}};
  } else {
    f5 = 0;
  }
  const int64_t s = block_after(p);
  if (!track[s].is_free()) return {kSlowdownStartTaken, {}};
  const int64_t e = block_after(static_cast<double>(p) + f.f3);
  if (!track[e].is_free()) return {kSlowdownEndTaken, {}};
  Recorded done{kClean, {s, e}};
  if (p > kWarningThreshold) done.blocks.push_back(w);
  track[e].code = kSlowdownEnd;
  if (f.f6 != 0) track[e].value2 = low16(f.f6);
  track[s].code = kSlowdownStart;
  if (f.f6 != 0) track[s].value2 = low16(f.f6);
  if (p > kWarningThreshold) {
    track[w].code = kSlowdownWarning;
    if (f.f6 != 0) track[w].value2 = low16(f.f6);
    track[w].value1 = low16(f.f2);
  }
  track[s].value1 = low16(f.f2);
  track[e].value1 = low16(f.f2);
  track[s].value3 = low16(f.f4);
  track[e].value3 = low16(f.f4);
  if (f5 != 0) {
    const int64_t r = round_to_int((static_cast<double>(p) - kWarningDistance) / 50.0);
    for (int j = 0; j < 4; ++j) {
      if (!track[r - j].is_free()) return {kPreWarningTaken, done.blocks};
    }
    for (int j = 0; j < 4; ++j) {
      track[r - j].code = kPreWarning;
      track[r - j].value1 = static_cast<int16_t>(j + 1);
      if (f.f6 != 0) track[r - j].value2 = static_cast<int16_t>(j + 1);
      done.blocks.push_back(r - j);
    }
  }
  return done;
}

}  // namespace scenario

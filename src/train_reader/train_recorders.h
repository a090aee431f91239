// The recorders of signal rows and slowdown rows.
#pragma once

#include <cstdint>

#include "model/build_state.h"
#include "source/recorded.h"

namespace scenario {

// Fields 2 to 11 of a signal row.
struct SignalFields {
  int32_t f2, f3, f4, f5, f6, f7, f8, f9, f10, f11;
};

// Fields 2 to 6 of a slowdown row.
struct SlowdownFields {
  int32_t f2, f3, f4, f5, f6;
};

// Returns the blocks a signal at p would take, or false when its own block lies outside the
// track (approach marks before block 0 are dropped, not refused).
bool signal_in_track(const TrackArray& track, int32_t p);
// Returns false when any block a slowdown at p would test or mark lies outside the track.
bool slowdown_in_track(const TrackArray& track, int32_t p, const SlowdownFields& f);

// Records a signal at block round(p/50 + 1). Returns code 16 when that block is taken, else
// the signal's block. f.f11 in 1..100 is raised to 101. The caller has checked signal_in_track.
Recorded memo_segnale(BuildState& state, int32_t p, SignalFields& f);

// Records a slowdown: warning (beyond 1500 m), start, end and pre-warning run. Returns code 17,
// 18, 19 or 20 for a taken block; the blocks written are given either way (start, end, warning,
// then the pre-warning run). The caller has checked slowdown_in_track.
Recorded memo_rallentamento(BuildState& state, int32_t p, SlowdownFields& f);

}  // namespace scenario

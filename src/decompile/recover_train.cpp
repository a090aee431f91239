// The train source's rows: general values, speed limits, adhesion, stations, slowdowns, signals
// and code-cut points.
#include <algorithm>

#include "compiler/route_compiler.h"
#include "decompile/block_steps.h"
#include "decompile/recover.h"
#include "decompile/source_text.h"

namespace scenario::decompile {
namespace {

constexpr int32_t kWarningThreshold = 1500;

std::string at_block(const FileNames& n, int64_t b) {
  return n.track + ": block " + std::to_string(b);
}

uint8_t low8(int64_t v) { return static_cast<uint8_t>(v); }

void recover_stations(const GeneralTable& g, const FileNames& names, TrainRows& rows) {
  for (int k = 1; k < GeneralTable::kFirstBoardSlot && !(g[k] == GeneralEntry{}); ++k) {
    const GeneralEntry& e = g[k];
    const int64_t p = e.long3;
    const bool fixed_area = e.code >= 5 && e.code <= 8;
    // The area gives the length back: P - L for kinds 5 to 8, P - L / 2 for the others.
    const int64_t length = fixed_area ? p - e.long1 : 2 * (p - static_cast<int64_t>(e.long1));
    if (length < INT32_MIN || length > INT32_MAX) {
      throw Inconsistency(names.general + ": station slot " + std::to_string(k) +
                          " has an area that no station length gives");
    }
    // The area extension: kept in byte3, except at the first station, where only the area's end
    // shows it.
    int32_t extension = 0;
    if (!fixed_area) extension = k == 1 ? (e.long2 - (p + length / 2) == 50 ? 1 : 0) : e.byte3;
    const int32_t t = e.long4;
    StationRow r;
    r.fields = {static_cast<int32_t>(p),
                e.code,
                static_cast<int32_t>(length),
                e.flag,
                e.byte4,
                extension,
                e.int1,
                e.int2,
                e.byte1,
                e.int3,
                e.int4,
                e.int5,
                e.byte2,
                t / 3600,
                t % 3600 / 60,
                t % 60};
    r.name = e.text;
    if (!text_field(r.name)) {
      throw Inconsistency(names.general + ": the station name of slot " + std::to_string(k) +
                          " needs quotes and holds a double quote: no source field can hold it");
    }
    rows.stations.push_back(std::move(r));
  }
}

void recover_slowdowns(const std::vector<TrackBlock>& t, const FileNames& names, TrainRows& rows) {
  std::vector<bool> paired(t.size(), false);
  for (size_t s = 0; s < t.size(); ++s) {
    if (t[s].code != kSlowdownStart) continue;
    const TrackBlock& start = t[s];
    size_t e = s + 1;
    while (e < t.size() &&
           !(t[e].code == kSlowdownEnd && !paired[e] && t[e].value1 == start.value1 &&
             t[e].value2 == start.value2 && t[e].value3 == start.value3)) {
      ++e;
    }
    if (e == t.size()) {
      throw Inconsistency(at_block(names, static_cast<int64_t>(s)) +
                          " starts a slowdown that no later block ends with its values");
    }
    paired[e] = true;
    int64_t p = (static_cast<int64_t>(s) - 1) * 50;
    const int64_t warning = static_cast<int64_t>(s) - 24;
    // A start at block 31 has a warning only from a position past 1500 m within the block.
    if (p <= kWarningThreshold && p > kWarningThreshold - 50 && warning >= 0 &&
        t[static_cast<size_t>(warning)].code == kSlowdownWarning) {
      p = kWarningThreshold + 10;
    }
    const int64_t run = static_cast<int64_t>(s) - 25;
    const bool pre_warning =
        p > kWarningThreshold && run >= 0 && t[static_cast<size_t>(run)].code == kPreWarning;
    SlowdownRow r;
    r.fields = {static_cast<int32_t>(p),
                start.value1,
                static_cast<int32_t>((static_cast<int64_t>(e) - static_cast<int64_t>(s)) * 50),
                start.value3,
                pre_warning ? 1 : 0,
                start.value2};
    rows.slowdowns.push_back(r);
  }
  for (size_t e = 0; e < t.size(); ++e) {
    if (t[e].code == kSlowdownEnd && !paired[e]) {
      throw Inconsistency(at_block(names, static_cast<int64_t>(e)) +
                          " ends a slowdown that no block starts");
    }
  }
}

// How many of a signal's four approach marks, where the track still shows them, fit a
// combined kind a (3 × kind + field 7).
int marks_fitting(const std::vector<TrackBlock>& t, int64_t g, int64_t a) {
  int fits = 0;
  for (int i = 1; i <= 4; ++i) {
    const int64_t at = g - 2 * i;
    if (at >= 0 && t[static_cast<size_t>(at)].mark11 == low8(a * 10 + i)) ++fits;
  }
  return fits;
}

SignalRow signal(const std::vector<TrackBlock>& t, int64_t g) {
  const TrackBlock& b = t[static_cast<size_t>(g)];
  // value4 = 10 × field 6 + a. The marks keep a only modulo 128, and a later row may have
  // overwritten some of them: the a that the most marks still show, field 6 nearest 0 among
  // those (0 when no mark shows it).
  int32_t f6 = 0;
  int best = marks_fitting(t, g, b.value4);
  for (int32_t size = 1; size <= 200 && best < 4; ++size) {
    for (const int32_t c : {size, -size}) {
      const int fits = marks_fitting(t, g, b.value4 - 10LL * c);
      if (fits > best) {
        best = fits;
        f6 = c;
      }
    }
  }
  const int64_t a = b.value4 - 10LL * f6;
  // Only a kind 2 keeps field 11 in mark10; otherwise the kind that leaves field 7 at 0 to 2.
  int64_t kind;
  if (b.mark10 != 0) {
    kind = 2;
  } else {
    kind = a >= 3 && a <= 8 ? a / 3 : 1;
  }
  const auto split = [](int16_t v) { return std::pair<int32_t, int32_t>{v / 10, v % 10}; };
  const auto [f3, f8] = split(b.value1);
  const auto [f4, f9] = split(b.value2);
  const auto [f5, f10] = split(b.value3);
  SignalRow r;
  r.fields = {static_cast<int32_t>((g - 1) * 50),
              static_cast<int32_t>(kind),
              f3,
              f4,
              f5,
              f6,
              static_cast<int32_t>(a - 3 * kind),
              f8,
              f9,
              f10,
              b.mark10};
  return r;
}

}  // namespace

TrainRecovery recover_train(const CompiledFiles& f, const FileNames& names) {
  TrainRecovery out;
  TrainRows& rows = out.rows;
  const GeneralTable& g = f.general;
  rows.brake_mass = g[84].long1;
  rows.coaches = g[84].long3;
  rows.sand = g[86].int1;
  rows.hours = g[86].int3;
  rows.minutes = g[86].int4;
  rows.seconds = g[86].int5;
  rows.adhesion = mark_steps(f.blocks, &TrackBlock::mark15);
  for (const Step& s : mark_steps(f.blocks, &TrackBlock::mark13)) {
    rows.speeds.push_back({s.position, s.value * 5});
  }
  recover_stations(g, names, rows);
  recover_slowdowns(f.blocks, names, rows);
  for (size_t b = 0; b < f.blocks.size(); ++b) {
    const TrackBlock& t = f.blocks[b];
    const auto position = static_cast<int32_t>(b * 50);
    switch (t.code) {
      case kSignal:
        rows.signals.push_back(signal(f.blocks, static_cast<int64_t>(b)));
        break;
      case kCodeCut:
        rows.code_cuts.push_back({position, 0});
        break;
      case kCodeCutValue:
        if (t.value1 == kPointValue) {
          out.open_cuts.push_back(static_cast<int64_t>(b));
        } else {
          // The value is the row's low 16 bits; a row value is above 0.
          const int32_t v = static_cast<uint16_t>(t.value1);
          rows.code_cuts.push_back({position, v == 0 ? 0x10000 : v});
        }
        break;
      case kPlainTrack:
      case kSlowdownEnd:
      case kSlowdownStart:
      case kSlowdownWarning:
      case kPreWarning:
      case kSpeedBoard:
      case kStopMarker:
      case kMountainFiller:
      case kIndicationBoard:
        break;
      default:
        throw Inconsistency(at_block(names, static_cast<int64_t>(b)) + " has code " +
                            std::to_string(t.code) + ", which nothing that compiles writes");
    }
  }
  order_marking_rows(f, rows);
  return out;
}

}  // namespace scenario::decompile

#include "inspect/run_input.h"

#include <map>

#include "format/curve_image.h"
#include "format/file_error.h"
#include "format/file_names.h"
#include "format/general_image.h"
#include "format/read_file.h"
#include "format/track_image.h"
#include "inspect/display_text.h"
#include "inspect/plan_summary.h"

namespace scenario {
namespace {

template <typename T>
T load(const std::string& path, FileKind kind, Decoded<T> (*decode)(std::string_view)) {
  std::string bytes;
  try {
    bytes = read_compiled_file(path, kind);
  } catch (const FileError& e) {
    throw RunInputFailure{e.what()};
  }
  Decoded<T> d = decode(bytes);
  if (!d.ok()) {
    throw RunInputFailure{path + ": offset " + std::to_string(d.error().offset) + ": " +
                          d.error().message};
  }
  return std::move(d.value());
}

}  // namespace

std::vector<timing::Progressive> line_progressives(const GeneralTable& general) {
  std::vector<timing::Progressive> out;
  for (int slot = GeneralTable::kProgressiveFirst; slot >= GeneralTable::kProgressiveLast; --slot) {
    const GeneralEntry& p = general[slot];
    if (p.long1 == 0 && p.long2 == 0 && p.long3 == 0) continue;  // not in use
    const int32_t value =
        p.long3 == 1 ? p.long2 - GeneralTable::kFallingProgressiveOffset : p.long2;
    out.push_back({p.long1, value, p.long3});
  }
  return out;
}

timing::RunInput run_input(const GeneralTable& general, const std::vector<TrackBlock>& track,
                           const CurveTable& curves) {
  timing::RunInput in;
  std::map<int, int64_t> stop_marker;  // station slot → block
  // The first slowdown end at or after each block, found backward so that a track of many
  // starts and no ends still costs one pass.
  std::vector<size_t> next_end(track.size() + 1, track.size());
  for (size_t b = track.size(); b-- > 0;) {
    next_end[b] = track[b].code == kSlowdownEnd ? b : next_end[b + 1];
  }
  for (size_t b = 0; b < track.size(); ++b) {
    const TrackBlock& blk = track[b];
    in.limit_kmh.push_back(speed_of_mark(blk.mark13));
    // A block never given a gradient holds 0 (it would read −100 per mille): taken as level.
    in.gradient.push_back(blk.mark14 == 0 ? 0.0 : gradient_of_mark(blk.mark14));
    in.adhesion.push_back(blk.mark15);
    const auto at = static_cast<double>(b) * timing::kBlockMetres;
    if (blk.code == kStopMarker) stop_marker.emplace(blk.value1, static_cast<int64_t>(b));
    if (blk.code == kSlowdownStart) {
      // A slowdown runs from its start block to the first end block after it (to the end of
      // the track when there is none).
      const double to = static_cast<double>(next_end[b + 1]) * timing::kBlockMetres;
      in.slowdowns.push_back({at, to, static_cast<double>(blk.value1)});
    }
  }
  for (const PlanCurve& c : summarize_plan(curves).curves) {
    in.curves.push_back({static_cast<double>(c.start), static_cast<double>(c.length), c.radius});
  }
  for (int slot : station_slots(general)) {
    const GeneralEntry& e = general[slot];
    timing::RunStation s;
    s.name = display_text(e.text);
    s.position = e.long3;
    const auto marker = stop_marker.find(slot);
    s.stop = marker != stop_marker.end() ? marker->second * 50 : e.long3;  // block × 50 m
    if (e.long4 != 0) s.scheduled = e.long4;
    s.dwell_field = e.byte2;
    in.stations.push_back(s);
  }
  in.progressives = line_progressives(general);
  const GeneralEntry& route = general[GeneralTable::kTrainAndRoute];
  in.brake_percent = route.long1;
  in.coaches = route.long3;
  const GeneralEntry& train = general[GeneralTable::kTrainSlot];
  in.start_clock = (train.int3 * 60 + train.int4) * 60 + train.int5;
  return in;
}

CompiledTables load_compiled_tables(const std::string& dir, const Identity& id) {
  CompiledTables t;
  t.general =
      load<GeneralTable>(dir + "/" + general_file_name(id), FileKind::kGeneral, decode_general);
  t.track = load<std::vector<TrackBlock>>(dir + "/" + track_file_name(id), FileKind::kTrack,
                                          decode_track);
  t.curves = load<CurveTable>(dir + "/" + curve_file_name(id), FileKind::kCurve, decode_curve);
  return t;
}

timing::RunInput load_run_input(const std::string& dir, const Identity& id) {
  const CompiledTables t = load_compiled_tables(dir, id);
  timing::RunInput in = run_input(t.general, t.track, t.curves);
  if (in.stations.empty()) {
    throw RunInputFailure{dir + "/" + general_file_name(id) +
                          ": the general table holds no station"};
  }
  return in;
}

}  // namespace scenario

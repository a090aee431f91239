#include "compiler/route_compiler.h"

#include "compiler/scenario_codes.h"
#include "format/file_names.h"
#include "format/marks.h"
#include "source/status_codes.h"

namespace scenario {
namespace {

constexpr int kWarningLookBack = 20;
constexpr int kLowestSignalBlock = 3;
constexpr int16_t kWalkSpeedLimit = 110;
constexpr int kWalkSpacing = 8;
constexpr int kSignalSearchSpan = 12;

class PostProcessor {
 public:
  PostProcessor(BuildState& s, BlockOrigins& origins)
      : s_(s), t_(s.track), n_(s.track.upper()), origins_(origins) {
    if (origins_.line.size() != t_.blocks().size()) {
      origins_.line.assign(t_.blocks().size(), 0);
      origins_.column.assign(t_.blocks().size(), 0);
      origins_.file.assign(t_.blocks().size(), BlockOrigins::kNone);
    }
  }

  std::vector<CompilerFault> run() {
    for (int64_t i = 1; i <= n_ - 2; ++i) {
      if (t_[i].code == kSlowdownWarning) warning_point(i);
      if (t_[i].code == kSlowdownStart) slowdown_start(i);
    }
    return std::move(faults_);
  }

 private:
  // A point placed for the item on block cause: a report on b names the row of that item.
  void place(int64_t b, int64_t cause) {
    t_[b].code = kCodeCutValue;
    t_[b].value1 = kPointValue;
    const auto to = static_cast<size_t>(b), from = static_cast<size_t>(cause);
    origins_.line[to] = origins_.line[from];
    origins_.column[to] = origins_.column[from];
    origins_.file[to] = origins_.file[from];
  }
  bool free_at(int64_t b) const { return t_.contains(b) && t_[b].is_free(); }
  bool code_at(int64_t b, uint8_t code) const { return t_.contains(b) && t_[b].code == code; }
  void lower_to_point_value(int64_t b) {
    t_[b].value1 = static_cast<int16_t>(minimo(kPointValue, t_[b].value1));
  }
  void record(int32_t code, int64_t block, int64_t origin_block) {
    s_.read_status = code;
    s_.read_status_position = static_cast<int32_t>(block * kBlockMetres);
    faults_.push_back({code, s_.read_status_position, block_origin(s_, origins_, origin_block)});
  }

  void warning_point(int64_t i) {
    for (int k = 1; k <= kWarningLookBack; ++k) {
      if (i - k < kLowestSignalBlock) break;
      if (t_[i - k].code != kSignal) continue;
      const int64_t p = i - k - 1;
      const int64_t q = i - k - 2;
      if (free_at(p)) {
        place(p, i - k);
      } else if (free_at(q)) {
        place(q, i - k);
      } else if (code_at(p, kCodeCutValue)) {
        lower_to_point_value(p);
      } else if (code_at(q, kCodeCutValue)) {
        lower_to_point_value(q);
      } else {
        record(kNoPointBeforeSignal, i - k, i - k);
      }
    }
  }

  void slowdown_start(int64_t i) {
    static constexpr int kGroups[3][4] = {{7, 5, 6, 7}, {13, 11, 12, 13}, {20, 18, 19, 20}};
    for (const auto& g : kGroups) {
      if (i <= g[0]) continue;
      bool placed = false;
      for (int m = 1; m <= 3 && !placed; ++m) {
        if (t_[i - g[m]].is_free()) {
          place(i - g[m], i);
          placed = true;
        }
      }
      if (!placed) record(kNoPointBeforeSlowdown, i, i);
    }
    // The walk, and the search for the signal after the end, start from this slowdown's own
    // start: a fast slowdown has no walk, so its end is found first.
    int64_t w = i;
    if (t_[i].value1 < kWalkSpeedLimit) {
      int c = 0;
      do {
        if (w >= n_) {  // the end is missing: stop at the last block
          record(kNoPointInSlowdown, w, i);
          break;
        }
        ++w;
        ++c;
        if (c == kWalkSpacing) {
          if (free_at(w)) {
            place(w, i);
            c = 0;
          } else if (free_at(w - 1)) {
            place(w - 1, i);
            c = 1;
          } else if (free_at(w + 1)) {
            place(w + 1, i);
            c = -1;
          } else {
            record(kNoPointInSlowdown, w, i);
          }
        }
      } while (t_[w].code != kSlowdownEnd);
    } else {
      while (w < n_ && t_[w].code != kSlowdownEnd) ++w;
      if (t_[w].code != kSlowdownEnd) return;  // no end to search after
    }
    for (int64_t m = w; m <= w + kSignalSearchSpan && m <= n_; ++m) {
      if (t_[m].code != kSignal) continue;
      if (m - 1 > 0) {
        const int64_t s = m - 1;
        if (t_[s].is_free()) {
          place(s, m);
        } else if (s - 1 >= 0 && t_[s - 1].is_free()) {
          place(s - 1, m);
        } else {
          record(kNoPointInSlowdown, w, m);
        }
      }
      break;
    }
  }

  BuildState& s_;
  TrackArray& t_;
  const int64_t n_;
  BlockOrigins& origins_;
  std::vector<CompilerFault> faults_;
};

}  // namespace

RowOrigin block_origin(const BuildState& state, const BlockOrigins& origins, int64_t block) {
  RowOrigin o;
  if (block < 0 || static_cast<size_t>(block) >= origins.line.size()) return o;
  const auto b = static_cast<size_t>(block);
  if (origins.line[b] <= 0) return o;
  o.file = origins.file[b] == BlockOrigins::kLineSource ? line_source_name(state.identity())
                                                        : train_source_name(state.identity());
  o.line = origins.line[b];
  o.column = origins.column[b];
  o.last_line = o.line;
  o.field_line = o.line;
  return o;
}

int32_t minimo(int32_t x, int32_t y) { return x > y ? y : x; }

std::vector<CompilerFault> post_process_track(BuildState& state, BlockOrigins& origins) {
  return PostProcessor(state, origins).run();
}

std::vector<CompilerFault> post_process_track(BuildState& state) {
  BlockOrigins none;
  return post_process_track(state, none);
}

std::optional<int32_t> stamp_reserved_fields(BuildState& state) {
  GeneralEntry& slot85 = state.general[GeneralTable::kScenarioSlot];
  TrackBlock& block1 = state.track[kMarkBlock];
  if (slot85.int1 != 0 || block1.value1 != 0) return kFormatMarkInUse;
  slot85.int1 = kGeneralFormatMark;
  block1.value1 = kTrackFormatMark;
  if (slot85.long4 != 0 || block1.value2 != 0) return kScenarioCodeInUse;
  slot85.long4 = codice_gara_st(state.general);
  block1.value2 = codice_gara_og(state.general);
  return std::nullopt;
}

}  // namespace scenario

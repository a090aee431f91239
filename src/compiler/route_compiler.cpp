#include "compiler/route_compiler.h"

#include "compiler/errore.h"
#include "compiler/output_files.h"
#include "compiler/scenario_codes.h"
#include "format/file_names.h"
#include "format/marks.h"
#include "line_reader/memorizza_dati.h"

namespace scenario {
namespace {

constexpr int16_t kPointValue = 180;
constexpr int kWarningLookBack = 20;
constexpr int kLowestSignalBlock = 3;
constexpr int16_t kWalkSpeedLimit = 110;
constexpr int kWalkSpacing = 8;
constexpr int kSignalSearchSpan = 12;

class PostProcessor {
 public:
  explicit PostProcessor(BuildState& s) : s_(s), t_(s.track), n_(s.track.upper()) {}

  void run() {
    for (int64_t i = 1; i <= n_ - 2; ++i) {
      if (t_[i].code == kSlowdownWarning) warning_point(i);
      if (t_[i].code == kSlowdownStart) slowdown_start(i);
    }
  }

 private:
  void place(int64_t b) {
    t_[b].code = kCodeCutValue;
    t_[b].value1 = kPointValue;
  }
  bool free_at(int64_t b) const { return t_.contains(b) && t_[b].is_free(); }
  bool code_at(int64_t b, uint8_t code) const { return t_.contains(b) && t_[b].code == code; }
  void lower_to_point_value(int64_t b) {
    t_[b].value1 = static_cast<int16_t>(minimo(kPointValue, t_[b].value1));
  }
  void record(int32_t code, int64_t block, int64_t origin_block) {
    s_.read_status = code;
    s_.read_status_position = static_cast<int32_t>(block * 50);
    RowOrigin o;
    const BlockOrigins& bo = s_.block_origins;
    if (origin_block >= 0 && static_cast<size_t>(origin_block) < bo.line.size() &&
        bo.line[static_cast<size_t>(origin_block)] > 0) {
      o.file = bo.file[static_cast<size_t>(origin_block)] == 1 ? line_source_name(s_.identity())
                                                               : train_source_name(s_.identity());
      o.line = bo.line[static_cast<size_t>(origin_block)];
      o.column = bo.column[static_cast<size_t>(origin_block)];
      o.last_line = o.line;
      o.field_line = o.line;
    }
    s_.status_origin = o;
    if (s_.compiler_log != nullptr) s_.compiler_log->push_back({code, s_.read_status_position, o});
  }

  void warning_point(int64_t i) {
    for (int k = 1; k <= kWarningLookBack; ++k) {
      if (i - k < kLowestSignalBlock) break;
      if (t_[i - k].code != kSignal) continue;
      const int64_t p = i - k - 1;
      const int64_t q = i - k - 2;
      if (free_at(p)) {
        place(p);
      } else if (free_at(q)) {
        place(q);
      } else if (code_at(p, kCodeCutValue)) {
        lower_to_point_value(p);
      } else if (code_at(q, kCodeCutValue)) {
        lower_to_point_value(q);
      } else {
        record(11, i - k, i - k);
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
          place(i - g[m]);
          placed = true;
        }
      }
      if (!placed) record(12, i, i);
    }
    // The walk, and the search for the signal after the end, start from this slowdown's own
    // start: a fast slowdown has no walk, so its end is found first.
    int64_t w = i;
    if (t_[i].value1 < kWalkSpeedLimit) {
      int c = 0;
      do {
        if (w >= n_) {  // the end is missing: stop at the last block
          record(13, w, i);
          break;
        }
        ++w;
        ++c;
        if (c == kWalkSpacing) {
          if (free_at(w)) {
            place(w);
            c = 0;
          } else if (free_at(w - 1)) {
            place(w - 1);
            c = 1;
          } else if (free_at(w + 1)) {
            place(w + 1);
            c = -1;
          } else {
            record(13, w, i);
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
          place(s);
        } else if (s - 1 >= 0 && t_[s - 1].is_free()) {
          place(s - 1);
        } else {
          record(13, w, m);
        }
      }
      break;
    }
  }

  BuildState& s_;
  TrackArray& t_;
  const int64_t n_;
};

}  // namespace

int32_t minimo(int32_t x, int32_t y) { return x > y ? y : x; }

void post_process_track(BuildState& state) { PostProcessor(state).run(); }

CompileResult memorizza_percorso(BuildState& state, int32_t j) {
  CompileResult result;
  state.build_flag = j;
  state.read_status = 0;
  state.status_origin = RowOrigin{};
  state.general.reset();
  state.track = TrackArray{};
  state.curves.clear();
  state.block_origins = {};
  memorizza_dati(state, &result.failure_reason);
  // Without a route length there is no track to stamp and no file to write.
  if (!state.track.exists()) return result;
  post_process_track(state);

  GeneralEntry& slot85 = state.general[GeneralTable::kScenarioSlot];
  TrackBlock& block1 = state.track[kMarkBlock];
  if (slot85.int1 != 0 || block1.value1 != 0) errore("1250");
  slot85.int1 = kGeneralFormatMark;
  block1.value1 = kTrackFormatMark;
  if (slot85.long4 != 0 || block1.value2 != 0) errore("1251");
  slot85.long4 = codice_gara_st(state.general);
  block1.value2 = codice_gara_og(state.general);

  result.outputs = write_compiled_files(state);
  return result;
}

}  // namespace scenario

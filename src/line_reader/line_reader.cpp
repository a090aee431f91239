#include "line_reader/line_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "format/marks.h"
#include "format/track_image.h"
#include "line_reader/curve_classes.h"
#include "line_reader/line_recorders.h"
#include "line_reader/progressive_ordina.h"
#include "model/rounding.h"
#include "source/read_failure.h"
#include "source/row_scanner.h"
#include "source/status_codes.h"
#include "source/text_match.h"
#include "source/track_access.h"

namespace scenario {
namespace {

constexpr int64_t kMaxCurveColumn = 1'000'000;

// Computes plan columns from to `to` of both axes, each from the two columns before it: straight
// on, or (kCurved) turning by k per metre. The two previous points stay in registers; read back
// from the table, each step waited for the store of the one before.
template <bool kCurved>
void plan_run(CurveTable& c, int64_t from, int64_t to, double k) {
  if (from > to) return;
  if (from < 2 || to > c.last_metre()) throw ReadFailure("a plan run outside the curve table");
  double* x = c.value_data(0);
  double* y = c.value_data(1);
  PlanStep step{x[from - 2], y[from - 2], x[from - 1], y[from - 1]};
  for (int64_t m = from; m <= to; ++m) {
    if constexpr (kCurved) {
      step.advance(k);
    } else {
      step.advance_straight();
    }
    x[m] = step.x1;
    y[m] = step.y1;
  }
  for (int axis = 0; axis < 2; ++axis) {
    uint8_t* kinds = c.kind_data(axis);
    std::fill(kinds + from, kinds + to + 1, static_cast<uint8_t>(CellKind::kDouble));
  }
}

class LineReader {
 public:
  explicit LineReader(ReaderContext& ctx)
      : ctx_(ctx),
        s_(ctx.state),
        in_(*ctx.stream),
        scan_(in_, SourceKind::kLine, ScanMode::kStrict, ctx.state.build_flag != 0) {
    if (ctx.row_log != nullptr) scan_.log_rows(&ctx.row_log->line);
  }

  LineOutcome run();

 private:
  enum class Body { kNext, kEnd, kStop };

  bool read_general_section();
  bool read_general_rows();
  // Sizes the arrays for the route length row that counts, if one was read.
  void size_arrays();
  void start_body();
  Body body_row(const KeywordField& k);
  Body body_kind(RowKindId id, const std::string& k, TrackArray& track);
  // One general row; false when the reading stops.
  bool general_row(RowKindId id, const std::string& k);
  // Position test of a body row: true when P lies beyond the array (code 15 set).
  bool beyond_array(int64_t p);
  void end_processing();
  void stop(int32_t code, std::optional<int64_t> position = std::nullopt);
  void write_gradient(int64_t block);
  // Computes columns j to `to` and moves j past them; false when j passed the column limit.
  template <bool kCurved>
  bool advance_plan(int64_t to, double k = 0);
  void keyword(const Field& f) {
    s_.current_field = f.text;
    ctx_.row_line = f.line;
    in_.begin_row();
  }

  ReaderContext& ctx_;
  BuildState& s_;
  FieldStream& in_;
  RowScanner scan_;
  int64_t g_ = 0;  // gradient fill pointer
  int32_t p_ = 0;  // gradient in force
  int64_t j_ = 2;  // next curve column
  // The route length that the arrays are to be sized for, until they are.
  std::optional<int32_t> sizing_length_;
};

void LineReader::stop(int32_t code, std::optional<int64_t> position) {
  ctx_.set_status(code, position);
  ctx_.finish_source();
}

bool LineReader::beyond_array(int64_t p) {
  if ((static_cast<double>(p) + 100.0) / 50.0 > s_.track.upper()) {
    ctx_.set_status(kBeyondTrack, p);
    return true;
  }
  return false;
}

LineOutcome LineReader::run() {
  // A source with no field at all fails on the first read: there is nothing to read.
  if (!scan_.find_general([&](const Field& f) { keyword(f); })) {
    // A fault of the whole file, not of the field where the search ended.
    ctx_.set_file_status(kNoGeneralSection, ctx_.file_name);
    ctx_.finish_source();
    return LineOutcome::kStop;
  }
  if (!read_general_section()) return LineOutcome::kStop;
  start_body();
  while (const std::optional<KeywordField> k = scan_.next()) {
    keyword(k->field);
    const Body r = body_row(*k);
    if (r == Body::kStop) return LineOutcome::kStop;
    if (r == Body::kEnd) break;
  }
  end_processing();
  return LineOutcome::kContinue;
}

bool LineReader::read_general_section() {
  // However the section ends, even by a failure, the arrays are those of the last route length
  // read before it did.
  bool go_on = false;
  try {
    go_on = read_general_rows();
  } catch (...) {
    size_arrays();
    throw;
  }
  size_arrays();
  return go_on;
}

void LineReader::size_arrays() {
  if (!sizing_length_) return;
  const int32_t length = *std::exchange(sizing_length_, std::nullopt);
  s_.track.create(length);
  ctx_.report.blocks = {};
  if (s_.build_flag != 0) s_.curves.create(static_cast<int64_t>(length) + kRunOutMetres);
}

bool LineReader::read_general_rows() {
  while (const std::optional<KeywordField> k = scan_.next()) {
    keyword(k->field);
    for (const RowKindId id : k->row_kinds()) {
      if (!general_row(id, k->field.text)) return false;
    }
    if (k->ends_general) break;
  }
  return true;
}

bool LineReader::general_row(RowKindId id, const std::string& k) {
  GeneralTable& t = s_.general;
  const auto progressive = [&](int slot) {
    t[slot].long1 = scan_.number();
    t[slot].long2 = scan_.number();
    t[slot].long3 = scan_.number();
  };
  switch (id) {
    case RowKindId::kRouteLength: {
      const int32_t length = scan_.number();
      t.route_length() = length;
      if (length > kMaxRouteLength) {
        stop(kRouteTooLong);
        return false;
      }
      // A negative length would size the arrays below block 1, which the compiler stamps.
      if (length < 0) throw ReadFailure("the route length is negative");
      // Each row sizes the arrays afresh, so only the last one before the section ends counts:
      // they are made once, when it does.
      sizing_length_ = length;
      break;
    }
    case RowKindId::kProgressiveTre:
      progressive(GeneralTable::kProgressiveLast);
      break;
    case RowKindId::kProgressiveDue:
      progressive(GeneralTable::kProgressiveMiddle);
      break;
    case RowKindId::kProgressiveUno:
      progressive(GeneralTable::kProgressiveFirst);
      break;
    case RowKindId::kBackgroundUno:
      t.background_uno() = scan_.number();
      break;
    case RowKindId::kBackgroundDue:
      t.background_due() = scan_.number();
      break;
    case RowKindId::kBackgroundTre:
      t.background_tre() = scan_.number();
      break;
    case RowKindId::kRepetition:
      t.repetition_start() = scan_.number();
      t.repetition_end() = scan_.number();
      if (t.repetition_start() % kBlockMetres != 0) {
        stop(kRepetitionStartNotMultiple);
        return false;
      }
      if (t.repetition_end() % kBlockMetres != 0) {
        stop(kRepetitionEndNotMultiple);
        return false;
      }
      if (contains(k, "4")) {
        t.repetition_codes() = 4;
      } else if (contains(k, "9")) {
        t.repetition_codes() = 9;
      } else {
        stop(kRepetitionKeyword);
        return false;
      }
      if (t.repetition_end() == 0) t.repetition_codes() = 0;
      break;
    default:
      break;
  }
  return true;
}

void LineReader::start_body() {
  progressive_ordina(s_.general);
  // Every path from here needs the arrays that the route length row creates.
  if (!s_.track.exists())
    throw ReadFailure("no route length row before the end of the general section");
  s_.mountains = MountainRegister{};
  ctx_.next_board_slot = GeneralTable::kFirstBoardSlot;
  g_ = 0;
  j_ = 2;
  if (s_.build_flag != 0) {
    s_.curves.set_int16(0, 0, 0);
    s_.curves.set_int16(0, 1, 0);
    s_.curves.set_int16(1, 0, 0);
    s_.curves.set_int16(1, 1, 1);
  }
}

void LineReader::write_gradient(int64_t block) {
  // In 64 bits: a gradient near the 32-bit limit must fail the test, not overflow.
  const int64_t mark = static_cast<int64_t>(p_) + kGradientOffset;
  if (mark < 0 || mark > 255) throw ReadFailure("a gradient + 100 does not fit a byte");
  // Rows out of order advance the fill one block each and may push it past block N.
  block_in_track(s_.track, block, "the gradient fill").mark14 = static_cast<uint8_t>(mark);
}

template <bool kCurved>
bool LineReader::advance_plan(int64_t to, double k) {
  if (j_ > to) return true;
  // The column that passes the limit is still computed, as a step at a time would.
  const int64_t until = std::min(to, kMaxCurveColumn);
  plan_run<kCurved>(s_.curves, j_, until, k);
  j_ = until + 1;
  return j_ <= kMaxCurveColumn;
}

LineReader::Body LineReader::body_row(const KeywordField& kf) {
  TrackArray& track = s_.track;
  const std::string& k = kf.field.text;
  for (const RowKindId id : kf.row_kinds()) {
    const Body r = body_kind(id, k, track);
    if (r != Body::kNext) return r;
  }
  return Body::kNext;
}

LineReader::Body LineReader::body_kind(RowKindId id, const std::string& k, TrackArray& track) {
  if (id == RowKindId::kGradient) {
    const int32_t pos = scan_.number();
    const int32_t gradient = scan_.number();
    if (beyond_array(pos)) return Body::kEnd;
    const int64_t b = round_to_int(pos / 50.0);
    if (b > 0) {
      do {
        write_gradient(g_);
        ++g_;
      } while (g_ < b);
    }
    p_ = gradient;
  }
  if (id == RowKindId::kCurve) {
    const int32_t start = scan_.number();
    const int32_t length = scan_.number();
    if (beyond_array(start)) return Body::kEnd;
    const double kc = curve_keyword_curvature(k);
    if (kc == 0) {
      stop(kBadCurve);
      return Body::kStop;
    }
    // The plan ends at column E: a curve running past it is computed up to E.
    const int64_t last = s_.curves.last_metre();
    const int64_t end = static_cast<int64_t>(start) + length;
    if (!advance_plan<false>(std::min<int64_t>(start, last)) ||
        !advance_plan<true>(std::min(end, last), kc)) {
      stop(kBadCurve);
      return Body::kStop;
    }
  }
  if (id == RowKindId::kMountain) {
    const int32_t start = scan_.number();
    const int32_t end = scan_.number();
    const int32_t kind = scan_.number();
    if (beyond_array(start)) return Body::kEnd;
    memo_montagna(s_, start, end, kind);
  }
  if (id == RowKindId::kSpeedBoard) {
    const int32_t pos = scan_.number();
    SpeedBoardValues v{};
    v.s1 = scan_.number();
    v.s2 = scan_.number();
    v.s3 = scan_.number();
    v.c1 = scan_.number();
    v.t1 = scan_.number();
    v.t2 = scan_.number();
    v.t3 = scan_.number();
    v.c2 = scan_.number();
    if (beyond_array(pos)) return Body::kEnd;
    const Recorded r = memo_indicatori_v_max(s_, pos, v);
    if (r.code > 0) {
      ctx_.set_taken(r.code, pos, round_to_int(pos / 50.0 + 1));
      ctx_.finish_source();
      return Body::kStop;
    }
    for (const int64_t b : r.blocks) ctx_.note_block(b);
  }
  if (id == RowKindId::kIndicationBoard) {
    const int32_t pos = scan_.number();
    const Field text = scan_.text();
    s_.current_field = text.text;
    if (beyond_array(pos)) return Body::kEnd;
    const int64_t b = round_to_int(pos / 50.0 + 1);
    if (!block_in_track(track, b, "an indication board").is_free()) {
      ctx_.set_taken(kIndicationBoardTaken, pos, b);
      ctx_.finish_source();
      return Body::kStop;
    }
    // Slot 0 is never filled: an 81st board has nowhere to go.
    if (ctx_.next_board_slot < 1) throw ReadFailure("more than 80 indication boards");
    if (text.text.size() > 0xFFFF) throw ReadFailure("a board text longer than 65535 bytes");
    track[b].code = kIndicationBoard;
    track[b].value1 = static_cast<int16_t>(ctx_.next_board_slot);
    s_.general[ctx_.next_board_slot].text = text.text;
    --ctx_.next_board_slot;
    ctx_.note_block(b);
  }
  return Body::kNext;
}

void LineReader::end_processing() {
  ctx_.finish_source();
  const int64_t n = s_.track.upper();
  do {
    write_gradient(g_);
    ++g_;
  } while (g_ < n - 2);
  if (s_.build_flag != 0) {
    // No limit here: the tail always runs to E - 2.
    const int64_t last = s_.curves.last_metre();
    if (j_ <= last - 2) {
      plan_run<false>(s_.curves, j_, last - 2, 0);
      j_ = last - 1;
    }
  }
}

}  // namespace

LineOutcome read_line_source(ReaderContext& ctx) { return LineReader(ctx).run(); }

}  // namespace scenario

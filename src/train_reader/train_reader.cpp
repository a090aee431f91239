#include "train_reader/train_reader.h"

#include <limits>
#include <vector>

#include "format/file_names.h"
#include "format/marks.h"
#include "format/track_image.h"
#include "model/rounding.h"
#include "source/read_failure.h"
#include "source/row_scanner.h"
#include "source/status_codes.h"
#include "source/track_access.h"
#include "train_reader/train_recorders.h"

namespace scenario {
namespace {

constexpr int32_t kMinStationSpacing = 350;

class TrainReader {
 public:
  explicit TrainReader(ReaderContext& ctx)
      : ctx_(ctx),
        s_(ctx.state),
        in_(*ctx.stream),
        scan_(in_, SourceKind::kTrain, ScanMode::kStrict) {
    if (ctx.row_log != nullptr) scan_.log_rows(&ctx.row_log->train);
  }
  void run();

 private:
  enum class Row { kNext, kEnd, kFault };

  Row examine(const KeywordField& k);
  Row examine_kind(RowKindId id);
  Row speed_row();
  Row adhesion_row();
  Row signal_row();
  Row slowdown_row();
  Row code_cut_row();
  Row station_row();
  void normal_end();
  void fault(int32_t code, std::optional<int64_t> position = std::nullopt);
  // A row found block taken: the status names what holds it.
  void taken(int32_t code, int64_t position, int64_t block);
  // A row's position is in range when (P + margin) / 50 <= N.
  bool in_range(int64_t p, int margin) const {
    return (static_cast<double>(p) + margin) / 50.0 <= s_.track.upper();
  }
  Row out_of_range(int64_t p) {
    ctx_.set_status(kBeyondTrack, p);
    return Row::kEnd;
  }
  uint8_t read_byte();
  int16_t read_int16();
  uint8_t speed_mark(int32_t speed) const;
  void fill_speed();
  void fill_adhesion();

  ReaderContext& ctx_;
  BuildState& s_;
  FieldStream& in_;
  RowScanner scan_;
  int64_t speed_cursor_ = 0;
  int32_t previous_speed_ = 0;
  int64_t adhesion_cursor_ = 0;
  int32_t previous_adhesion_ = 0;
  int32_t k_ = 1;
  // The line of each station row accepted, to name the one a station follows.
  std::vector<int32_t> station_lines_;
};

uint8_t TrainReader::read_byte() {
  const int32_t v = scan_.number();
  if (v < 0 || v > 255) throw ReadFailure(std::to_string(v) + " does not fit a byte field");
  return static_cast<uint8_t>(v);
}

int16_t TrainReader::read_int16() {
  const int32_t v = scan_.number();
  if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max()) {
    throw ReadFailure(std::to_string(v) + " does not fit a 16-bit field");
  }
  return static_cast<int16_t>(v);
}

uint8_t TrainReader::speed_mark(int32_t speed) const {
  const int64_t mark = round_to_int(speed / static_cast<double>(kSpeedStepKmh));
  if (mark < 0 || mark > 255) {
    throw ReadFailure("a speed of " + std::to_string(speed) + " km/h does not fit the track");
  }
  return static_cast<uint8_t>(mark);
}

void TrainReader::fault(int32_t code, std::optional<int64_t> position) {
  ctx_.set_status(code, position);
  ctx_.finish_source();
}

void TrainReader::taken(int32_t code, int64_t position, int64_t block) {
  ctx_.set_taken(code, position, block);
  ctx_.finish_source();
}

void TrainReader::run() {
  // Skip to the general section; without one nothing is read, but the end still runs. The
  // first read is made whatever the source holds: one with no field at all fails on it.
  if (scan_.find_general([&](const Field& f) { s_.current_field = f.text; })) {
    while (const std::optional<KeywordField> k = scan_.next()) {
      s_.current_field = k->field.text;
      ctx_.row_line = k->field.line;
      in_.begin_row();
      const Row r = examine(*k);
      if (r == Row::kFault) return;
      if (r == Row::kEnd) break;
    }
  }
  normal_end();
}

TrainReader::Row TrainReader::examine(const KeywordField& k) {
  for (const RowKindId id : k.row_kinds()) {
    const Row r = examine_kind(id);
    if (r != Row::kNext) return r;
  }
  return Row::kNext;
}

TrainReader::Row TrainReader::examine_kind(RowKindId id) {
  GeneralTable& t = s_.general;
  switch (id) {
    case RowKindId::kBrakeMass:
      t.brake_mass_percentage() = scan_.number();
      return Row::kNext;
    case RowKindId::kCoaches:
      t.coaches() = scan_.number();
      return Row::kNext;
    case RowKindId::kSpeed:
      return speed_row();
    case RowKindId::kAdhesion:
      return adhesion_row();
    case RowKindId::kClock:
      t.clock_hours() = read_int16();
      t.clock_minutes() = read_int16();
      t.clock_seconds() = read_int16();
      return Row::kNext;
    case RowKindId::kSand:
      t.sand() = read_int16();
      return Row::kNext;
    case RowKindId::kSignal:
      return signal_row();
    case RowKindId::kSlowdown:
      return slowdown_row();
    case RowKindId::kCodeCut:
      return code_cut_row();
    case RowKindId::kStation:
      return station_row();
    default:
      return Row::kNext;
  }
}

TrainReader::Row TrainReader::speed_row() {
  const int32_t p = scan_.number();
  const int32_t v = scan_.number();
  if (!in_range(p, 100)) return out_of_range(p);
  const int64_t n = round_to_int(p / 50.0);
  if (n > 0) {
    do {
      if (speed_cursor_ >= s_.track.upper()) break;
      s_.track[speed_cursor_].mark13 = speed_mark(previous_speed_);
      ++speed_cursor_;
    } while (speed_cursor_ < n);
  }
  previous_speed_ = v;
  return Row::kNext;
}

TrainReader::Row TrainReader::adhesion_row() {
  const int32_t p = scan_.number();
  const int32_t a = scan_.number();
  if (!in_range(p, 100)) return out_of_range(p);
  const int64_t n = round_to_int(p / 50.0);
  if (n > 0) {
    do {
      // Unlike the speed cursor this one has no stop: rows on few blocks may run it off the
      // track, which fails the reading.
      block_in_track(s_.track, adhesion_cursor_, "the adhesion fill").mark15 =
          static_cast<uint8_t>(previous_adhesion_);
      ++adhesion_cursor_;
    } while (adhesion_cursor_ < n);
  }
  previous_adhesion_ = a;
  return Row::kNext;
}

TrainReader::Row TrainReader::signal_row() {
  const int32_t p = scan_.number();
  SignalFields f{};
  f.f2 = scan_.number();
  f.f3 = scan_.number();
  f.f4 = scan_.number();
  f.f5 = scan_.number();
  f.f6 = scan_.number();
  f.f7 = scan_.number();
  f.f8 = scan_.number();
  f.f9 = scan_.number();
  f.f10 = scan_.number();
  f.f11 = scan_.number();
  if (!in_range(p, 100) || !signal_in_track(s_.track, p)) return out_of_range(p);
  // Only a status of this call stops the reading; a position stop of the line half does not.
  const Recorded r = memo_segnale(s_, p, f);
  if (r.code > 0) {
    taken(r.code, p, round_to_int(p / 50.0 + 1));
    return Row::kFault;
  }
  for (const int64_t b : r.blocks) ctx_.note_block(b);
  return Row::kNext;
}

TrainReader::Row TrainReader::slowdown_row() {
  const int32_t p = scan_.number();
  SlowdownFields f{};
  f.f2 = scan_.number();
  f.f3 = scan_.number();
  f.f4 = scan_.number();
  f.f5 = scan_.number();
  f.f6 = scan_.number();
  if (!in_range(p, 100) || !slowdown_in_track(s_.track, p, f)) return out_of_range(p);
  const Recorded r = memo_rallentamento(s_, p, f);
  if (r.code > 0) {
    // The block of the test that failed: warning, start, end, or the first taken one of the run.
    const double warning = static_cast<double>(p) - kSlowdownWarningDistance;
    int64_t block = round_to_int(warning / 50.0 + 1);
    if (r.code == kSlowdownStartTaken) block = round_to_int(p / 50.0 + 1);
    if (r.code == kSlowdownEndTaken)
      block = round_to_int((static_cast<double>(p) + f.f3) / 50.0 + 1);
    if (r.code == kPreWarningTaken) {
      const int64_t run = round_to_int(warning / 50.0);
      block = run;
      while (block > run - 3 && s_.track[block].is_free()) --block;
    }
    taken(r.code, p, block);
    return Row::kFault;
  }
  for (const int64_t b : r.blocks) ctx_.note_block(b);
  return Row::kNext;
}

TrainReader::Row TrainReader::code_cut_row() {
  const int32_t p = scan_.number();
  const int32_t c = scan_.number();
  if (!in_range(p, 100)) return out_of_range(p);
  const int64_t t = round_to_int(p / 50.0);
  if (!s_.track.contains(t)) return out_of_range(p);
  TrackBlock& b = s_.track[t];
  if (!b.is_free()) {
    taken(kCodeCutTaken, p, t);
    return Row::kFault;
  }
  if (c > 0) {
    b.code = kCodeCutValue;
    b.value1 = static_cast<int16_t>(static_cast<uint16_t>(c));
  } else {
    b.code = kCodeCut;
  }
  ctx_.note_block(t);
  return Row::kNext;
}

TrainReader::Row TrainReader::station_row() {
  // The slot is filled field by field as the row is read, as far as the row gets. With 80
  // boards slot 1 already holds the last board: the row is still read and checked, and marks
  // the track, in a slot of its own that is dropped, so that the board keeps its whole slot.
  GeneralEntry unkept;
  GeneralEntry& e = k_ > ctx_.next_board_slot ? unkept : s_.general[k_];
  const int32_t p = scan_.number();
  e.long3 = p;
  if (!in_range(p, 800)) return out_of_range(p);
  if (p % 50 != 0) {
    fault(kStationPositionNotMultiple, p);
    return Row::kFault;
  }
  e.code = read_byte();
  const int32_t length = scan_.number();
  if (length % 100 != 0) {
    fault(kStationLengthNotMultiple, p);
    return Row::kFault;
  }
  e.flag = read_byte();
  e.byte4 = read_byte();
  e.byte3 = read_byte();
  e.int1 = read_int16();
  e.int2 = read_int16();
  e.byte1 = read_byte();
  e.int3 = read_int16();
  e.int4 = read_int16();
  e.int5 = read_int16();
  e.byte2 = read_byte();
  const int64_t h = scan_.number();
  const int64_t m = scan_.number();
  const int64_t sec = scan_.number();
  const int64_t time = (h * 60 + m) * 60 + sec;
  if (time < std::numeric_limits<int32_t>::min() || time > std::numeric_limits<int32_t>::max()) {
    throw ReadFailure("a scheduled time does not fit 32 bits");
  }
  e.long4 = static_cast<int32_t>(time);
  const Field name = scan_.text();
  if (name.text.size() > 0xFFFF) throw ReadFailure("a station name longer than 65535 bytes");
  e.text = name.text;

  // The station area by kind.
  const auto to_long = [](double x) {
    const double r = round_half_even(x);
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max()) {
      throw ReadFailure("a station area bound does not fit 32 bits");
    }
    return static_cast<int32_t>(r);
  };
  if (e.code == 5 || e.code == 6) {
    e.long1 = to_long(static_cast<double>(p) - length);
    e.long2 = to_long(static_cast<double>(p) + 150);
    e.byte3 = 0;
  } else if (e.code == 7 || e.code == 8) {
    e.long1 = to_long(static_cast<double>(p) - length);
    e.long2 = to_long(static_cast<double>(p) + length);
    e.byte3 = 0;
  } else {
    e.long1 = to_long(p - length / 2.0);
    e.long2 = to_long(p + length / 2.0);
    if (e.byte3 != 0) e.long2 = to_long(static_cast<double>(e.long2) + 50);
  }
  if (length < 600) e.byte4 = 0;
  if (k_ == 1) {
    e.byte3 = 0;
    e.byte4 = 0;
  }
  TrackArray& track = s_.track;
  const bool marked = e.code < 25;
  const double stop_x = e.long2 / 50.0 - 1;
  if (marked && stop_x > 1 && !track.contains(round_to_int(stop_x))) return out_of_range(p);
  if (marked && e.code != 5 && e.code != 6) {
    for (int i = 1; i <= 4; ++i) {
      const double x = e.long2 / 50.0 - i - 1;
      if (x > 1) track[round_to_int(x)].mark11 = static_cast<uint8_t>(80 + i);
    }
  }
  if (marked) {
    if (stop_x <= 1) {
      fault(kStopMarkerTooEarly);
      return Row::kFault;
    }
    const int64_t b = round_to_int(stop_x);
    track[b].code = kStopMarker;
    track[b].value1 = static_cast<int16_t>(k_);
    ctx_.note_block(b);
  }
  if (k_ > 1 && static_cast<int64_t>(e.long1) - kMinStationSpacing < s_.general[k_ - 1].long2) {
    fault(kStationTooClose, p);
    const GeneralEntry& before = s_.general[k_ - 1];
    ctx_.report.failure_reason = "listed after " + before.text + " at " + ctx_.file_name + ":" +
                                 std::to_string(station_lines_.back()) + ", whose area ends at " +
                                 std::to_string(before.long2) + " m; this one's starts at " +
                                 std::to_string(e.long1) + " m";
    ctx_.report.culprit.file = ctx_.file_name;
    ctx_.report.culprit.line = station_lines_.back();
    return Row::kFault;
  }
  station_lines_.push_back(ctx_.row_line);
  ++k_;
  if (k_ >= ctx_.next_board_slot) {
    fault(kTooManyStations);
    return Row::kFault;
  }
  return Row::kNext;
}

void TrainReader::fill_speed() {
  const int64_t n = s_.track.upper();
  do {
    block_in_track(s_.track, speed_cursor_, "the speed fill").mark13 = speed_mark(previous_speed_);
    ++speed_cursor_;
  } while (speed_cursor_ < n - 2);
}

void TrainReader::fill_adhesion() {
  const int64_t n = s_.track.upper();
  do {
    block_in_track(s_.track, adhesion_cursor_, "the adhesion fill").mark15 =
        static_cast<uint8_t>(previous_adhesion_);
    ++adhesion_cursor_;
  } while (adhesion_cursor_ < n - 2);
}

void TrainReader::normal_end() {
  ctx_.finish_source();
  fill_speed();
  fill_adhesion();
  for (int slot = GeneralTable::kProgressiveLast; slot <= GeneralTable::kProgressiveFirst; ++slot) {
    const GeneralEntry& e = s_.general[slot];
    if (e.long1 % 50 != 0 || e.long2 % 50 != 0) {
      ctx_.set_file_status(kProgressiveNotMultiple, line_source_name(s_.identity()));
    }
  }
}

}  // namespace

void read_train_source(ReaderContext& ctx) { TrainReader(ctx).run(); }

}  // namespace scenario

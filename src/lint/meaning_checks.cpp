#include "lint/meaning_checks.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <unordered_map>

#include "format/document_widths.h"
#include "format/marks.h"
#include "model/rounding.h"
#include "source/status_codes.h"

namespace scenario {
namespace {

constexpr int64_t kNoHigh = std::numeric_limits<int64_t>::max();

#define STORED_DIGIT                                                                           \
  "the compiled block field holds it as one decimal digit, so 10 or more runs into the digit " \
  "before it"
#define STATION_STORED                                                                         \
  "stored as written in the station's slot, for the simulator, whose stations all take these " \
  "values"

constexpr ValueRange kRanges[] = {
    {RowKindId::kProgressiveUno, 2, 0, 1,
     "only 1 adds the 100 m and makes the kilometrage fall as the route goes on; any other value "
     "adds nothing, and the kilometres rise from the start on"},
    {RowKindId::kProgressiveDue, 2, 0, 1,
     "only 1 adds the 100 m and makes the kilometrage fall as the route goes on; any other value "
     "adds nothing, and the kilometres rise from the start on"},
    {RowKindId::kProgressiveTre, 2, 0, 1,
     "only 1 adds the 100 m and makes the kilometrage fall as the route goes on; any other value "
     "adds nothing, and the kilometres rise from the start on"},
    {RowKindId::kCurve, 1, 1, kNoHigh,
     "a curve of no length turns nothing: the plan runs straight"},
    {RowKindId::kSpeedBoard, 1, 5, 300, "the board shows that speed to the driver"},
    {RowKindId::kSpeedBoard, 2, 5, 300, "the board shows that speed to the driver"},
    {RowKindId::kSpeedBoard, 3, 5, 300, "the board shows that speed to the driver"},
    {RowKindId::kSpeedBoard, 4, 0, 9,
     "value4 holds the two codes as code 1 x 10 + code 2, so 10 or more runs into the other code"},
    {RowKindId::kSpeedBoard, 5, 0, 300, "the board shows that speed to the driver"},
    {RowKindId::kSpeedBoard, 6, 0, 300, "the board shows that speed to the driver"},
    {RowKindId::kSpeedBoard, 7, 0, 300, "the board shows that speed to the driver"},
    {RowKindId::kSpeedBoard, 8, 0, 9,
     "value4 holds the two codes as code 1 x 10 + code 2, so 10 or more runs into the other code"},
    {RowKindId::kBrakeMass, 0, 1, kNoHigh,
     "a train without brake mass cannot brake: `timing` refuses to run it"},
    {RowKindId::kCoaches, 0, 1, kNoHigh, "a train of no coaches has no length"},
    {RowKindId::kSpeed, 1, 5, 1275,
     "a limit of 0 km/h stops the train there: it cannot run on, and `timing` refuses the run"},
    {RowKindId::kClock, 0, 0, 23, "the simulator's clock starts at that hour"},
    {RowKindId::kClock, 1, 0, 59, "the clock's minute is stored as written"},
    {RowKindId::kClock, 2, 0, 59, "the clock's second is stored as written"},
    {RowKindId::kSignal, 1, 1, 2,
     "the kind is part of value4 and of the approach marks, and only 1 and 2 mean a signal"},
    {RowKindId::kSignal, 2, 0, 9, STORED_DIGIT},
    {RowKindId::kSignal, 3, 0, 9, STORED_DIGIT},
    {RowKindId::kSignal, 4, 0, 9, STORED_DIGIT},
    {RowKindId::kSignal, 5, 0, 9, STORED_DIGIT},
    {RowKindId::kSignal, 6, 0, 2,
     "value4 and the approach marks hold 3 x kind + field 7, so 3 or more reads as another kind"},
    {RowKindId::kSignal, 7, 0, 9, STORED_DIGIT},
    {RowKindId::kSignal, 8, 0, 9, STORED_DIGIT},
    {RowKindId::kSignal, 9, 0, 9, STORED_DIGIT},
    {RowKindId::kSignal, 10, 0, 255, "mark10 keeps only its low 8 bits"},
    {RowKindId::kSlowdown, 1, 5, 300,
     "the train must pass the slowdown at that speed; at 0 km/h it stops there and cannot run on"},
    {RowKindId::kSlowdown, 2, 50, kNoHigh,
     "the end block lies at start + length: a slowdown shorter than one block ends where it "
     "starts, and a negative one before it"},
    {RowKindId::kSlowdown, 4, 0, 1, "any value but 0 writes the pre-warning run"},
    {RowKindId::kStation, 3, 0, 1, STATION_STORED},
    {RowKindId::kStation, 5, 0, 1, "any value but 0 moves the area's end 50 m further"},
    {RowKindId::kStation, 6, 0, 1, STATION_STORED},
    {RowKindId::kStation, 7, 0, 1, STATION_STORED},
    {RowKindId::kStation, 9, 0, 4, STATION_STORED},
    {RowKindId::kStation, 10, 0, 4, STATION_STORED},
    {RowKindId::kStation, 11, 0, 1, STATION_STORED},
    {RowKindId::kStation, 13, 0, 23, "the timetable holds the time as seconds from midnight"},
    {RowKindId::kStation, 14, 0, 59,
     "the reader makes seconds from midnight of hours x 3600 + minutes x 60 + seconds, so a "
     "minute of 60 is the next hour"},
    {RowKindId::kStation, 15, 0, 59,
     "the reader makes seconds from midnight of hours x 3600 + minutes x 60 + seconds, so a "
     "second of 60 is the next minute"},
};

std::string metres(int64_t m) { return std::to_string(m) + " m"; }

std::string clock_text(int64_t seconds) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return buf;
}

std::string range_words(const ValueRange& r) {
  if (r.high == kNoHigh) return std::to_string(r.low) + " or more";
  if (r.high == r.low + 1) return std::to_string(r.low) + " or " + std::to_string(r.high);
  return std::to_string(r.low) + " to " + std::to_string(r.high);
}

// What to write instead: "0 or 1", "50 or more", "a value from 5 to 300".
std::string write_words(const ValueRange& r) {
  if (r.high == kNoHigh || r.high == r.low + 1) return range_words(r);
  return "a value from " + range_words(r);
}

bool single_kind(RowKindId id) {
  switch (id) {
    case RowKindId::kRouteLength:
    case RowKindId::kProgressiveTre:
    case RowKindId::kProgressiveDue:
    case RowKindId::kProgressiveUno:
    case RowKindId::kBackgroundUno:
    case RowKindId::kBackgroundDue:
    case RowKindId::kBackgroundTre:
    case RowKindId::kRepetition:
    case RowKindId::kBrakeMass:
    case RowKindId::kCoaches:
    case RowKindId::kClock:
    case RowKindId::kSand:
      return true;
    default:
      return false;
  }
}

// Where a station's area ends, as the train reader derives it.
int64_t area_end(int64_t kind, int64_t position, int64_t length, int64_t extension) {
  if (kind == 5 || kind == 6) return position + 150;
  if (kind == 7 || kind == 8) return position + length;
  return round_to_int(static_cast<double>(position) + static_cast<double>(length) / 2) +
         (extension != 0 ? 50 : 0);
}

int64_t block_after(int64_t p) { return round_to_int(static_cast<double>(p) / 50 + 1); }

}  // namespace

std::span<const ValueRange> value_ranges() { return kRanges; }

Fix replace_value(const ScannedValue& v, std::string text, std::string title) {
  Fix f;
  f.title = std::move(title);
  f.line = v.line;
  f.column = v.column;
  f.end_line = v.end_line;
  f.end_column = v.end_column;
  f.text = std::move(text);
  return f;
}

namespace {

// Each row kind's entries of kRanges, which stand together: a row looks at its own only.
struct KindSpan {
  size_t first = 0, end = 0;
};
const std::array<KindSpan, kRowKindCount>& ranges_by_kind() {
  static const std::array<KindSpan, kRowKindCount> spans = [] {
    std::array<KindSpan, kRowKindCount> out{};
    for (size_t i = std::size(kRanges); i-- > 0;) {
      KindSpan& k = out[static_cast<size_t>(kRanges[i].kind)];
      if (k.end == 0) k.end = i + 1;
      k.first = i;
    }
    return out;
  }();
  return spans;
}

}  // namespace

void MeaningChecks::ranges(const LintRow& r) {
  const KindSpan span = ranges_by_kind()[static_cast<size_t>(r.kind->id)];
  for (size_t i = span.first; i < span.end; ++i) {
    const ValueRange& range = kRanges[i];
    if (range.kind != r.kind->id || range.value >= r.values.size()) continue;
    const int64_t v = r.number(range.value);
    if (v >= range.low && v <= range.high) continue;
    // Field 11 from 1 to 100 is a rounded value of its own; clock fields are told whole.
    if (r.kind->id == RowKindId::kClock) continue;
    if (r.kind->id == RowKindId::kStation && range.value >= 13) continue;
    const FieldEntry& field = r.kind->fields[range.value];
    out_.warn(kValueRange, r, range.value,
              "the " + std::string(r.kind->keyword) + " row's " + std::string(field.name) +
                  " takes " + range_words(range) + ", not " + std::to_string(v) + ": " +
                  range.effect + "; write " + write_words(range),
              std::nullopt);
  }
}

// Three numbers of a time, hours at value `hours`: a minute or second of 60 and more carries
// into the next, as the reader's sum of seconds does.
void MeaningChecks::clock(const LintRow& r, size_t hours, const char* what) {
  if (r.values.size() < hours + 3) return;
  const int64_t h = r.number(hours), m = r.number(hours + 1), s = r.number(hours + 2);
  const bool minute = m < 0 || m > 59, second = s < 0 || s > 59;
  if (h >= 0 && h <= 23 && !minute && !second) return;
  const size_t at = second && !minute ? hours + 2 : minute ? hours + 1 : hours;
  const int64_t total = (h * 60 + m) * 60 + s;
  char written[64];
  std::snprintf(written, sizeof written, "%lld:%02lld:%02lld", static_cast<long long>(h),
                static_cast<long long>(m), static_cast<long long>(s));
  std::string message = std::string("a time of ") + written + " in the " + what +
                        ": hours take 0 to 23, minutes and seconds 0 to 59";
  std::optional<Fix> fix;
  if (total >= 0 && total < 24 * 3600 && (minute || second)) {
    message += hours == 0 ? "; the clock stores each number as written: write " + clock_text(total)
                          : "; the reader takes it as " + clock_text(total) + ", so write that";
    // One edit over the three numbers, keeping what stands between them.
    const ScannedValue& first = r.values[hours];
    const ScannedValue& last = r.values[hours + 2];
    if (first.line == last.line && r.values[hours + 1].line == first.line) {
      const int64_t nh = total / 3600, nm = total / 60 % 60, ns = total % 60;
      const std::string_view line_text = out_.line_text(first.line);
      const auto between = [&](const ScannedValue& a, const ScannedValue& b) {
        const auto from = static_cast<size_t>(a.end_column - 1);
        const auto to = static_cast<size_t>(b.column - 1);
        return to >= from && to <= line_text.size() ? std::string(line_text.substr(from, to - from))
                                                    : std::string(", ");
      };
      Fix f;
      f.line = first.line;
      f.column = first.column;
      f.end_line = last.end_line;
      f.end_column = last.end_column;
      f.text = std::to_string(nh) + between(first, r.values[hours + 1]) + std::to_string(nm) +
               between(r.values[hours + 1], last) + std::to_string(ns);
      f.title = "write " + clock_text(total);
      fix = std::move(f);
    }
  } else if (h > 23 || h < 0) {
    message += "; write the hour from 0 to 23";
  } else {
    message += "; write each from 0 to 59";
  }
  out_.warn(kValueRange, r, at, message, std::move(fix));
}

void MeaningChecks::once(const LintRow& r) {
  if (!single_kind(r.kind->id)) return;
  std::optional<LintRow>& before = single_[static_cast<size_t>(r.kind->id)];
  if (before) {
    out_.warn(kOverridden, *before, kKeywordValue,
              "this " + std::string(r.kind->keyword) + " row has no effect: the one at line " +
                  std::to_string(r.line) +
                  " replaces its values, since the reader keeps the last; remove one of them",
              std::nullopt);
  }
  before = r;
}

void MeaningChecks::line_row(const LintRow& r) {
  ranges(r);
  once(r);
  switch (r.kind->id) {
    case RowKindId::kRouteLength: {
      route_ = r.number(0);
      const int64_t blocks =
          std::clamp<int64_t>(round_to_int(static_cast<double>(*route_ + kRunOutMetres) / 50) + 1,
                              0, static_cast<int64_t>(kMaxCellsPerAxis / 50 + 2));
      taken_by_.assign(static_cast<size_t>(blocks), 0);
      break;
    }
    case RowKindId::kProgressiveUno:
    case RowKindId::kProgressiveDue:
    case RowKindId::kProgressiveTre: {
      // A repeated row replaces the earlier one.
      const std::string kind(r.kind->keyword);
      std::erase_if(progressives_, [&](const Kept& k) { return k.text == kind; });
      if (r.number(0) == 0 && r.number(1) == 0 && r.number(2) == 0) break;  // unused
      progressives_.push_back(
          {r.values[0].line, r.values[0].column, r.number(0), r.number(1), r.number(2), kind});
      break;
    }
    case RowKindId::kMountain:
      if (r.number(1) <= r.number(0)) {
        out_.warn(kValueRange, r, 1,
                  "the mountain range ends at " + metres(r.number(1)) + ", not after its start (" +
                      metres(r.number(0)) +
                      "): it marks no block, but still counts for the 150 m gap to the next "
                      "range; write an end after the start",
                  std::nullopt);
      }
      break;
    default:
      break;
  }
}

void MeaningChecks::line_done() {
  // Two progressives from one start: the reader orders them by start, and only one of them is
  // in force from there; two sharing the latest start clear all three.
  for (size_t i = 1; i < progressives_.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      const Kept& a = progressives_[j];
      const Kept& b = progressives_[i];
      if (a.a != b.a) continue;
      bool latest = a.a != 0;
      for (const Kept& k : progressives_) latest = latest && k.a <= a.a;
      std::string m = "the " + b.text + " starts at " + metres(b.a) + ", as does the " + a.text +
                      " (line " + std::to_string(a.line) + "): ";
      m += latest ? "the reader clears all three progressives when the two latest starts are "
                    "equal, so the line has no kilometrage at all"
                  : "ordered by start, only one of the two is in force from there and the other "
                    "is dropped without a word";
      m += "; give each progressive its own start (the route position where its kilometrage "
           "begins)";
      out_.warn_at(kDuplicate, b.line, b.column, m);
      break;
    }
  }
}

void MeaningChecks::station(const LintRow& r) {
  const int64_t p = r.number(0), kind = r.number(1), length = r.number(2);
  const int64_t time = (r.number(13) * 60 + r.number(14)) * 60 + r.number(15);
  const std::string& name = r.values[16].text;
  const std::string shown = quoted(name);
  if (kind >= 25 && time != 0) {
    out_.warn(kStationKind, r, 1,
              "kind " + std::to_string(kind) +
                  " is a station the train passes: the reader puts "
                  "no stop marker on the track, so the train does not stop at " +
                  shown + ", timed " + clock_text(time) +
                  "; for a stop write a kind below 25 (12 or 22, as the built-in stops), or "
                  "0, 0, 0 for the time of a station passed",
              std::nullopt);
  } else if (kind < 25 && time == 0) {
    out_.warn(kStationKind, r, 1,
              "kind " + std::to_string(kind) +
                  " is a stop: the reader puts a stop marker on the "
                  "track, so the train stops at " +
                  shown +
                  ", which has no scheduled time; write its time, or a kind of 25 and above "
                  "for a station passed",
              std::nullopt);
  }
  // Fields the reader stores as 0 for this station, whatever the row says.
  if (r.number(4) != 0 && (length < 600 || !first_station_)) {
    out_.warn(
        kRoundedValue, r, 4,
        std::string("field 5 is kept only for a station of 600 m or more, and never for "
                    "the first: ") +
            (first_station_ ? "this one is " + metres(length) + " long" : "this is the first") +
            ", so the reader stores 0",
        replace_value(r.values[4], "0", "write 0"));
  }
  if (r.number(5) != 0 && kind >= 5 && kind <= 8) {
    out_.warn(kRoundedValue, r, 5,
              "the area extension is stored as 0 for kinds 5 to 8, whose area ends at a fixed "
              "place: the reader drops it",
              replace_value(r.values[5], "0", "write 0"));
  }
  // The readers refuse stations past the general table's slots long before this many: beyond
  // it only the compile's fault is told, and the names take no more memory.
  constexpr size_t kNamesKept = 10000;
  const auto seen = names_.find(name);
  if (seen == names_.end() && names_.size() < kNamesKept) names_.emplace(name, r.line);
  if (seen != names_.end()) {
    out_.warn(kDuplicate, r, 16,
              "a second station named " + shown + " (the first at line " +
                  std::to_string(seen->second) +
                  "): the timetable sheet, the slowdown order and `timing` tell them apart only "
                  "by name; give each station its own",
              std::nullopt);
  }
  if (name.size() > kSheetStationNameWidth) {
    out_.warn(kTextLength, r, 16,
              "the name " + shown + " has " + std::to_string(name.size()) +
                  " characters: the timetable sheet's cell shows " +
                  std::to_string(kSheetStationNameWidth) + " and cuts it to " +
                  quoted(name.substr(0, kSheetStationNameWidth)) + "; write a shorter name",
              std::nullopt);
  }
  const Kept k{r.values[16].line, r.values[16].column, p, 0, 0, name};
  if (!first_station_) first_station_ = k;
  last_station_ = k;
  // A stop marker is written without looking at the block: over an item of a row before it.
  if (kind < 25 && !taken_by_.empty()) {
    const int64_t end = area_end(kind, p, length, r.number(5));
    const int64_t stop = round_to_int(static_cast<double>(end) / 50 - 1);
    if (stop > 1 && stop < static_cast<int64_t>(taken_by_.size()) &&
        taken_by_[static_cast<size_t>(stop)] != 0) {
      const int32_t holder = taken_by_[static_cast<size_t>(stop)];
      out_.warn(kOverridden, r, 0,
                "the station's stop marker goes on block " + std::to_string(stop) +
                    ", which the row at line " + std::to_string(holder) +
                    " took before it: the reader writes the marker over it, and that row's "
                    "item is lost; move one of them (with the station first, the other row is "
                    "refused with a status)",
                std::nullopt);
    }
  }
}

void MeaningChecks::train_row(const LintRow& r) {
  ranges(r);
  once(r);
  const auto take = [&](int64_t block) {
    if (block >= 0 && block < static_cast<int64_t>(taken_by_.size()))
      taken_by_[static_cast<size_t>(block)] = r.line;
  };
  switch (r.kind->id) {
    case RowKindId::kClock:
      clock(r, 0, "clock row");
      break;
    case RowKindId::kStation:
      clock(r, 13, "timetable");
      station(r);
      break;
    case RowKindId::kSpeed:
      speeds_.push_back({r.values[0].number, r.values[1].number, r.line});
      break;
    case RowKindId::kSignal:
      take(block_after(r.number(0)));
      break;
    case RowKindId::kCodeCut:
      take(round_to_int(static_cast<double>(r.number(0)) / 50));
      break;
    case RowKindId::kSlowdown: {
      const int64_t p = r.number(0);
      take(block_after(p));
      take(block_after(p + r.number(2)));
      if (p > 1500) {
        take(block_after(p - 1200));
        if (r.number(4) != 0) {
          const int64_t run = round_to_int(static_cast<double>(p - 1200) / 50);
          for (int64_t j = 0; j < 4; ++j) take(run - j);
        }
      }
      const ScannedValue& speed = r.values[1];
      slowdowns_.push_back(
          {speed.line, speed.column, r.values[0].number, r.values[2].number, speed.number});
      break;
    }
    default:
      break;
  }
}

void MeaningChecks::train_done() {
  // The limit in force at a position: the last speed row at or before it, in route order.
  std::stable_sort(speeds_.begin(), speeds_.end(),
                   [](const Limit& a, const Limit& b) { return a.position < b.position; });
  for (const Slowdown& s : slowdowns_) {
    if (s.speed <= 0) continue;  // told as a value out of range
    auto it = std::upper_bound(speeds_.begin(), speeds_.end(), s.start,
                               [](int32_t p, const Limit& k) { return p < k.position; });
    if (it == speeds_.begin()) continue;
    const Limit* highest = &*--it;
    const int64_t end = static_cast<int64_t>(s.start) + s.length;
    for (++it; it != speeds_.end() && it->position < end; ++it) {
      if (it->speed > highest->speed) highest = &*it;
    }
    if (s.speed < highest->speed) continue;
    out_.warn_at(kSlowdownSpeed, s.line, s.column,
                 "a slowdown of " + std::to_string(s.speed) + " km/h from " + metres(s.start) +
                     " does not lower the train's limit, which is at most " +
                     std::to_string(highest->speed) + " km/h along it (the velocita row at line " +
                     std::to_string(highest->line) +
                     "): the train runs it as if it were not there, yet its warning board "
                     "stands; write a speed below " +
                     std::to_string(highest->speed) + " km/h");
  }
  // The sheet's header shows the origin and the destination in a narrower field.
  // (A longer name is told at its row already.)
  for (const bool origin : {true, false}) {
    const std::optional<Kept>& end = origin ? first_station_ : last_station_;
    if (!end || (!origin && end->line == first_station_->line)) continue;
    const Kept& k = *end;
    if (k.text.size() <= kSheetHeaderNameWidth || k.text.size() > kSheetStationNameWidth) continue;
    out_.warn_at(kTextLength, k.line, k.column,
                 "the name " + quoted(k.text) + " has " + std::to_string(k.text.size()) +
                     " characters: the timetable sheet's header shows the " +
                     (origin ? "origin" : "destination") + " in " +
                     std::to_string(kSheetHeaderNameWidth) + " and cuts it to " +
                     quoted(k.text.substr(0, kSheetHeaderNameWidth)) + "; write a shorter name");
  }
}

}  // namespace scenario

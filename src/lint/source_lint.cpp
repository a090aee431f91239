#include "lint/source_lint.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

#include "format/cp1252.h"
#include "format/marks.h"
#include "lint/meaning_checks.h"
#include "lint/row_scan.h"
#include "model/rounding.h"
#include "source/field_stream.h"
#include "source/read_failure.h"
#include "source/status_codes.h"

namespace scenario {
namespace {

constexpr int64_t kBlock = 50;

bool fits_int16(int64_t v) {
  return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max();
}
int64_t low16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

std::string metres(int64_t m) { return std::to_string(m) + " m"; }

std::string clock(int64_t seconds) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return buf;
}

// Length of the UTF-8 sequence that starts at t[i]; 0 when none does.
size_t utf8_sequence(std::string_view t, size_t i) {
  const auto c = static_cast<unsigned char>(t[i]);
  size_t n = c >= 0xC2 && c <= 0xDF   ? 2
             : c >= 0xE0 && c <= 0xEF ? 3
             : c >= 0xF0 && c <= 0xF4 ? 4
                                      : 0;
  if (n == 0 || i + n > t.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(t[i + k]) & 0xC0) != 0x80) return 0;
  }
  return n;
}

bool undefined_in_cp1252(unsigned char c) {
  return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D || c == 0x7F ||
         (c < 0x20 && c != '\t' && c != '\r' && c != '\n');
}

class Linter : public RowWarner {
 public:
  explicit Linter(const LintLimits& limits) : limits_(limits), meaning_(*this) {}

  std::vector<Diagnostic> out;
  size_t more = 0;

  bool silenced(int32_t code) const {
    return std::find(limits_.silenced.begin(), limits_.silenced.end(), code) !=
           limits_.silenced.end();
  }
  // Whether a warning of code would be kept, not only counted.
  bool wanted(int32_t code) const { return !silenced(code) && out.size() < limits_.max_warnings; }
  // Keeps a warning unless silenced; past the cap only counts it.
  void add(Diagnostic d) {
    if (silenced(d.code)) return;
    if (out.size() < limits_.max_warnings) {
      out.push_back(std::move(d));
    } else {
      ++more;
    }
  }
  void count(int32_t code) {
    if (!silenced(code)) ++more;
  }

  // The text of the field of a line that holds column, cut as the readers cut it (a quoted
  // field without its quotes); the line itself where no field can be read there.
  static std::string field_at(std::string_view line, int32_t column) {
    FieldStream fields{std::string(line)};
    try {
      while (!fields.at_end()) {
        Field f = fields.read_text();
        if (f.column <= column && column < std::max(fields.end_column(), f.column + 1)) {
          return std::move(f.text);
        }
      }
    } catch (const ReadFailure&) {
    }
    return std::string(line);
  }

  void encoding(const std::string& file, std::string_view t) {
    int32_t line = 1;
    size_t line_start = 0;
    struct First {
      int32_t line = 0, column = 0;
      size_t at = 0;
      int lines = 0, last_line = 0;
      size_t start = 0;  // of its line
    } utf8, bad;
    const auto note = [&](First& f, size_t i) {
      if (f.line == 0) f = {line, static_cast<int32_t>(i - line_start) + 1, i, 0, 0, line_start};
      if (f.last_line != line) ++f.lines, f.last_line = line;
    };
    const auto row_text = [&](const First& f) {
      size_t end = f.start;
      while (end < t.size() && t[end] != '\n' && t[end] != '\r') ++end;
      return t.substr(f.start, end - f.start);
    };
    // A byte order mark is told on its own, and mended by taking it away.
    const bool bom = t.substr(0, 3) == "\xEF\xBB\xBF";
    if (bom) {
      Diagnostic d = make_warning(
          kByteOrderMark, file, 1, 1,
          "the file starts with a UTF-8 byte order mark (the bytes EF BB BF), which the reader "
          "takes as three letters of its first field; save the file as Windows-1252, without it",
          row_text(First{1, 1, 0, 0, 0, 0}));
      d.fix = Fix{"remove the byte order mark", 1, 1, 1, 4, ""};
      add(std::move(d));
    }
    for (size_t i = bom ? 3 : 0; i < t.size(); ++i) {
      const auto c = static_cast<unsigned char>(t[i]);
      if (c == '\n' || c == '\r') {
        if (c == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
        ++line;
        line_start = i + 1;
        continue;
      }
      if (const size_t n = c >= 0x80 ? utf8_sequence(t, i) : 0; n > 0) {
        note(utf8, i);
        i += n - 1;
      } else if (undefined_in_cp1252(c)) {
        note(bad, i);
      }
    }
    const auto more = [](const First& f) {
      return f.lines > 1 ? " (and " + std::to_string(f.lines - 1) + " more lines)" : std::string();
    };
    if (utf8.line > 0) {
      // The field that holds it, as meant and as the simulator will show it.
      const std::string raw = field_at(source_line(t, utf8.line), utf8.column).substr(0, 40);
      std::string m = "'" + utf8_to_cp1252(raw) + "' is UTF-8 text, stored as '" + raw + "'";
      m += ": the sources are Windows-1252, and each letter beyond ASCII takes one byte there; "
           "save the file as Windows-1252" +
           more(utf8);
      add(make_warning(kUtf8Text, file, utf8.line, utf8.column, m, row_text(utf8)));
    }
    if (bad.line > 0) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(t[bad.at]));
      add(make_warning(kNotCp1252, file, bad.line, bad.column,
                       std::string("byte ") + hex +
                           " is no Windows-1252 text (a control byte or one the code "
                           "page leaves undefined)" +
                           more(bad),
                       row_text(bad)));
    }
  }

  // Starts the rows of a source called file, whose lines are lines.
  void begin(const std::string& file, const TextLines& lines) {
    file_ = file;
    lines_ = &lines;
  }
  // A form warning of the scan, quoting its row.
  void form(int32_t code, int32_t line, int32_t column, std::string message,
            std::optional<Fix> fix) {
    if (!wanted(code)) {
      count(code);
      return;
    }
    Diagnostic d = make_warning(code, file_, line, column, std::move(message), lines_->line(line));
    d.fix = std::move(fix);
    add(std::move(d));
  }

  void warn_at(int32_t code, int32_t line, int32_t column, const std::string& message) override {
    form(code, line, column, message, std::nullopt);
  }
  std::string_view line_text(int32_t line) const override { return lines_->line(line); }
  // The sources' rows are all in (called while each text is still at hand).
  void line_end() { meaning_.line_done(); }
  void train_end() { meaning_.train_done(); }

  // Each row of the line source, in file order.
  void line_row(const LintRow& r) {
    meaning_.line_row(r);
    if (r.kind->id == RowKindId::kRouteLength) route_ = r.number(0);
    if (!route_) return;
    switch (r.kind->id) {
      case RowKindId::kGradient:
        ascending(r, gradient_, "gradient",
                  "gradient rows must ascend, else the profile is written out of place");
        gradient_ = r;
        on_block(r, 0, false);
        past_end(r, 0);
        break;
      case RowKindId::kCurve:
        if (curve_) {
          const int64_t end = curve_->number(0) + curve_->number(1);
          if (r.number(0) < end) {
            warn(kOverlap, r, 0,
                 "the curve from " + metres(r.number(0)) + " starts inside the curve of line " +
                     std::to_string(curve_->line) + " (" + metres(curve_->number(0)) + " to " +
                     metres(end) + "): the plan is drawn on from " + metres(end) +
                     ", and this curve's first " +
                     metres(std::min(end - r.number(0), r.number(1))) + " are lost");
          }
        }
        curve_ = r;
        past_end(r, 0, r.number(0) + r.number(1));
        break;
      case RowKindId::kMountain:
        if (mountain_ && r.number(0) < mountain_->number(1)) {
          warn(kOverlap, r, 0,
               "the mountain range from " + metres(r.number(0)) +
                   " starts inside the range of line " + std::to_string(mountain_->line) + " (" +
                   metres(mountain_->number(0)) + " to " + metres(mountain_->number(1)) +
                   "): the later range's kind replaces the earlier one's on the blocks they share");
        }
        mountain_ = r;
        on_block(r, 0, false);
        on_block(r, 1, false);
        past_end(r, 0, r.number(1));
        break;
      case RowKindId::kSpeedBoard: {
        int64_t top = 0;
        for (const size_t i : {1, 2, 3, 5, 6, 7}) top = std::max(top, r.number(i));
        boards_.push_back({r.number(0), top, r.line});
        on_block(r, 0, true);
        past_end(r, 0);
        for (size_t i = 5; i <= 7; ++i) {
          const int64_t v = r.number(i);
          if (v % 5 != 0) {
            const std::string kept = std::to_string(round_to_int(static_cast<double>(v) / 5) * 5);
            warn(kRoundedValue, r, i,
                 "a second-group speed of " + std::to_string(v) + " km/h is kept as " + kept +
                     " km/h: the board holds it in steps of 5",
                 replace_value(r.values[i], kept, "write " + kept));
          }
        }
        break;
      }
      case RowKindId::kIndicationBoard:
        on_block(r, 0, true);
        past_end(r, 0);
        break;
      default:
        break;
    }
  }

  // The line's rows are all in: its boards by position, for the train's speed rows.
  void line_done() {
    std::stable_sort(boards_.begin(), boards_.end(),
                     [](const Board& a, const Board& b) { return a.position < b.position; });
  }

  // Each row of the train source, in file order.
  void train_row(const LintRow& r, const std::string& line_file) {
    meaning_.train_row(r);
    switch (r.kind->id) {
      case RowKindId::kSpeed: {
        ascending(r, speed_, "speed",
                  "speed rows must ascend, else the limits are written out of place");
        speed_ = r;
        on_block(r, 0, false);
        past_end(r, 0);
        const int64_t v = r.number(1);
        if (v % 5 != 0) {
          const std::string kept = std::to_string(round_to_int(static_cast<double>(v) / 5) * 5);
          warn(kRoundedValue, r, 1,
               "a speed limit of " + std::to_string(v) + " km/h is kept as " + kept +
                   " km/h: the track holds limits in steps of 5",
               replace_value(r.values[1], kept, "write " + kept));
        }
        above_boards(r, line_file);
        break;
      }
      case RowKindId::kAdhesion: {
        ascending(r, adhesion_, "adhesion",
                  "adhesion rows must ascend, else the values are written out of place");
        adhesion_ = r;
        on_block(r, 0, false);
        past_end(r, 0);
        const int64_t a = r.number(1);
        if (a < 0 || a > 255) {
          warn(kRoundedValue, r, 1,
               "an adhesion of " + std::to_string(a) +
                   " keeps only its low 8 bits: " + std::to_string(a & 0xFF) + " is stored");
        }
        break;
      }
      case RowKindId::kSignal: {
        ascending(r, signal_, "signal", "signals are listed in route order");
        signal_ = r;
        on_block(r, 0, true);
        past_end(r, 0);
        const int64_t f11 = r.number(10);
        if (r.number(1) == 2 && f11 >= 1 && f11 <= 100) {
          warn(kRoundedValue, r, 10,
               "field 11 = " + std::to_string(f11) +
                   " is stored as 101: values 1 to 100 are raised to 101",
               replace_value(r.values[10], "101", "write 101"));
        }
        for (size_t i = 2; i <= 4; ++i) sixteen_bits(r, i, 10 * r.number(i) + r.number(i + 5));
        sixteen_bits(r, 5, 10 * r.number(5) + 3 * r.number(1) + r.number(6));
        break;
      }
      case RowKindId::kSlowdown:
        on_block(r, 0, true);
        past_end(r, 0, r.number(0) + r.number(2));
        for (const size_t i : {size_t{1}, size_t{3}, size_t{5}}) sixteen_bits(r, i, r.number(i));
        break;
      case RowKindId::kCodeCut:
        on_block(r, 0, false);
        past_end(r, 0);
        if (r.number(1) > 0) sixteen_bits(r, 1, r.number(1));
        break;
      case RowKindId::kStation: {
        ascending(r, station_, "station",
                  "stations are listed in the order the train reaches them");
        station_ = r;
        past_end(r, 0);
        const int64_t time = (r.number(13) * 60 + r.number(14)) * 60 + r.number(15);
        if (time == 0) break;  // a station passed, with no time
        if (timed_) {
          const int64_t before =
              (timed_->number(13) * 60 + timed_->number(14)) * 60 + timed_->number(15);
          if (time < before) {
            warn(kTimeBackwards, r, 13,
                 r.values[16].text + " is timed " + clock(time) + ", before " +
                     timed_->values[16].text + " at " + clock(before) + " (line " +
                     std::to_string(timed_->line) + ") that the train reaches first");
          }
        }
        timed_ = r;
        break;
      }
      default:
        break;
    }
  }

 private:
  // A speed board of the line: where it stands and its highest speed.
  struct Board {
    int64_t position = 0;
    int64_t top = 0;
    int32_t line = 0;
  };

  void warn(int32_t code, const LintRow& r, size_t value, const std::string& message,
            std::optional<Fix> fix = std::nullopt) override {
    if (!wanted(code)) {
      count(code);
      return;
    }
    const int32_t line = value == kKeywordValue ? r.line : r.values[value].line;
    const int32_t column = value == kKeywordValue ? r.column : r.values[value].column;
    Diagnostic d = make_warning(code, file_, line, column, message, lines_->line(line));
    d.fix = std::move(fix);
    add(std::move(d));
  }

  // Rows that the reader fills forward from the last one: one out of order is written in the
  // wrong blocks. Stations and signals are listed in route order too, so one out of it is
  // most likely a slip.
  void ascending(const LintRow& r, const std::optional<LintRow>& before, const char* what,
                 const char* harm) {
    if (!before || r.number(0) > before->number(0)) return;
    warn(kNotAscending, r, 0,
         std::string("this ") + what + " row at " + metres(r.number(0)) + " follows one at " +
             metres(before->number(0)) + " (line " + std::to_string(before->line) + "): " + harm);
  }

  // A position placed in a 50 m block: one between blocks moves to the nearest.
  void on_block(const LintRow& r, size_t value, bool block_after) {
    const int64_t p = r.number(value);
    if (p % kBlock == 0) return;
    const double q = static_cast<double>(p) / kBlock + (block_after ? 1 : 0);
    const int64_t placed = (round_to_int(q) - (block_after ? 1 : 0)) * kBlock;
    warn(kRoundedValue, r, value,
         metres(p) + " is not a multiple of 50: the reader places it at " + metres(placed),
         replace_value(r.values[value], std::to_string(placed), "write " + std::to_string(placed)));
  }

  void past_end(const LintRow& r, size_t value, std::optional<int64_t> end = std::nullopt) {
    if (!route_) return;
    const int64_t p = r.number(value);
    // Beyond the track's run-out the reader stops with a status of its own.
    if ((static_cast<double>(p) + 100) / kBlock > (*route_ + kRunOutMetres) / kBlock) return;
    const std::string kind(r.kind->keyword);
    if (p > *route_) {
      warn(kPastRouteEnd, r, value,
           "the " + kind + " row at " + metres(p) + " lies past the route end (" + metres(*route_) +
               "): the train never reaches it");
    } else if (end && *end > *route_) {
      warn(kPastRouteEnd, r, value,
           "the " + kind + " row from " + metres(p) + " to " + metres(*end) +
               " runs past the route end (" + metres(*route_) + ")");
    }
  }

  void sixteen_bits(const LintRow& r, size_t value, int64_t stored) {
    if (fits_int16(stored)) return;
    warn(kRoundedValue, r, value,
         std::to_string(stored) + " does not fit its 16-bit block field: " +
             std::to_string(low16(stored)) + " is stored");
  }

  void above_boards(const LintRow& r, const std::string& line_file) {
    const int64_t p = r.number(0);
    // The last board at or before p, found by halving: a long line has many.
    const auto after = std::upper_bound(boards_.begin(), boards_.end(), p,
                                        [](int64_t q, const Board& b) { return q < b.position; });
    if (after == boards_.begin()) return;
    const Board& board = *(after - 1);
    if (board.top == 0 || r.number(1) <= board.top) return;
    warn(kTrainAboveBoards, r, 1,
         "a limit of " + std::to_string(r.number(1)) + " km/h at " + metres(p) +
             " is above every speed of the line's board in force there (" + line_file + ":" +
             std::to_string(board.line) + ", at " + metres(board.position) + ": at most " +
             std::to_string(board.top) + " km/h)");
  }

  const LintLimits& limits_;
  std::string file_;
  const TextLines* lines_ = nullptr;
  std::optional<int64_t> route_;
  std::vector<Board> boards_;
  std::optional<LintRow> gradient_, curve_, mountain_;
  std::optional<LintRow> speed_, adhesion_, signal_, station_, timed_;
  MeaningChecks meaning_;
};

}  // namespace

LintReport lint_sources(const LintedSource& line, const LintedSource& train,
                        const LintLimits& limits) {
  Linter l(limits);
  const WarnFn form = [&](int32_t code, int32_t at, int32_t column, std::string message,
                          std::optional<Fix> fix) {
    l.form(code, at, column, std::move(message), std::move(fix));
  };
  const WantFn wanted = [&](int32_t code) { return l.wanted(code); };
  if (line.text != nullptr) {
    const TextLines lines(*line.text);
    l.begin(line.name, lines);
    l.encoding(line.name, *line.text);
    scan_rows(
        SourceKind::kLine, *line.text, form, [&](const LintRow& r) { l.line_row(r); }, wanted);
    l.line_end();
  }
  l.line_done();
  if (train.text != nullptr) {
    const TextLines lines(*train.text);
    l.begin(train.name, lines);
    l.encoding(train.name, *train.text);
    scan_rows(
        SourceKind::kTrain, *train.text, form, [&](const LintRow& r) { l.train_row(r, line.name); },
        wanted);
    l.train_end();
  }
  std::stable_sort(l.out.begin(), l.out.end(), [&](const Diagnostic& a, const Diagnostic& b) {
    const bool a_line = a.file == line.name, b_line = b.file == line.name;
    if (a_line != b_line) return a_line;
    if (a.line != b.line) return a.line < b.line;
    return a.column < b.column;
  });
  return {std::move(l.out), l.more};
}

std::vector<Diagnostic> lint_sources(const LintedSource& line, const LintedSource& train) {
  return lint_sources(line, train, LintLimits{}).warnings;
}

}  // namespace scenario

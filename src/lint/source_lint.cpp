#include "lint/source_lint.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

#include "format/cp1252.h"
#include "format/marks.h"
#include "lint/row_scan.h"
#include "model/rounding.h"
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

class Linter {
 public:
  std::vector<Diagnostic> out;

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
    for (size_t i = 0; i < t.size(); ++i) {
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
      size_t a = utf8.at, b = utf8.at;
      while (a > 0 && t[a - 1] != ',' && t[a - 1] != '\n' && t[a - 1] != '\r') --a;
      while (b < t.size() && t[b] != ',' && t[b] != '\n' && t[b] != '\r') ++b;
      while (a < b && t[a] == ' ') ++a;
      while (b > a && t[b - 1] == ' ') --b;
      const std::string raw(t.substr(a, std::min<size_t>(b - a, 40)));
      const bool bom = utf8.at == 0 && t.substr(0, 3) == "\xEF\xBB\xBF";
      std::string m = bom ? std::string("the file starts with a UTF-8 byte order mark")
                          : "'" + utf8_to_cp1252(raw) + "' is UTF-8 text, stored as '" + raw + "'";
      m += ": the sources are Windows-1252, and each letter beyond ASCII takes one byte there; "
           "save the file as Windows-1252" +
           more(utf8);
      out.push_back(make_warning(kUtf8Text, file, utf8.line, utf8.column, m, row_text(utf8)));
    }
    if (bad.line > 0) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(t[bad.at]));
      out.push_back(make_warning(kNotCp1252, file, bad.line, bad.column,
                                 std::string("byte ") + hex +
                                     " is no Windows-1252 text (a control byte or one the code "
                                     "page leaves undefined)" +
                                     more(bad),
                                 row_text(bad)));
    }
  }

  void line_rows(const std::string& file, const ScannedSource& scan) {
    file_ = file;
    lines_ = &scan.lines;
    const std::vector<ScannedRow>& rows = scan.rows;
    const ScannedRow* gradient = nullptr;
    const ScannedRow* curve = nullptr;
    const ScannedRow* mountain = nullptr;
    for (const ScannedRow& r : rows) {
      if (!r.sound) continue;
      const std::string_view k = r.kind->keyword;
      if (k == "lunghezza percorso") route_ = r.number(0);
      if (!route_) continue;
      if (k == "pendenza") {
        ascending(r, gradient, "gradient",
                  "gradient rows must ascend, else the profile is written out of place");
        gradient = &r;
        on_block(r, 0, false);
        past_end(r, 0);
      } else if (k == "curva") {
        if (curve != nullptr) {
          const int64_t end = curve->number(0) + curve->number(1);
          if (r.number(0) < end) {
            warn(kOverlap, r, 0,
                 "the curve from " + metres(r.number(0)) + " starts inside the curve of line " +
                     std::to_string(curve->line) + " (" + metres(curve->number(0)) + " to " +
                     metres(end) + "): the plan is drawn on from " + metres(end) +
                     ", and this curve's first " +
                     metres(std::min(end - r.number(0), r.number(1))) + " are lost");
          }
        }
        curve = &r;
        past_end(r, 0, r.number(0) + r.number(1));
      } else if (k == "montagna") {
        if (mountain != nullptr && r.number(0) < mountain->number(1)) {
          warn(kOverlap, r, 0,
               "the mountain range from " + metres(r.number(0)) +
                   " starts inside the range of line " + std::to_string(mountain->line) + " (" +
                   metres(mountain->number(0)) + " to " + metres(mountain->number(1)) +
                   "): the later range's kind replaces the earlier one's on the blocks they share");
        }
        mountain = &r;
        on_block(r, 0, false);
        on_block(r, 1, false);
        past_end(r, 0, r.number(1));
      } else if (k == "indicatori_vmax") {
        boards_.push_back(&r);
        on_block(r, 0, true);
        past_end(r, 0);
        for (size_t i = 5; i <= 7; ++i) {
          const int64_t v = r.number(i);
          if (v % 5 != 0) {
            warn(kRoundedValue, r, i,
                 "a second-group speed of " + std::to_string(v) + " km/h is kept as " +
                     std::to_string(round_to_int(static_cast<double>(v) / 5) * 5) +
                     " km/h: the board holds it in steps of 5");
          }
        }
      } else if (k == "cartello_indicatore") {
        on_block(r, 0, true);
        past_end(r, 0);
      }
    }
    std::stable_sort(boards_.begin(), boards_.end(), [](const ScannedRow* a, const ScannedRow* b) {
      return a->number(0) < b->number(0);
    });
  }

  void train_rows(const std::string& file, const ScannedSource& scan,
                  const std::string& line_file) {
    file_ = file;
    lines_ = &scan.lines;
    const std::vector<ScannedRow>& rows = scan.rows;
    const ScannedRow* speed = nullptr;
    const ScannedRow* adhesion = nullptr;
    const ScannedRow* signal = nullptr;
    const ScannedRow* station = nullptr;
    const ScannedRow* timed = nullptr;
    for (const ScannedRow& r : rows) {
      if (!r.sound) continue;
      const std::string_view k = r.kind->keyword;
      if (k == "velocita") {
        ascending(r, speed, "speed",
                  "speed rows must ascend, else the limits are written out of place");
        speed = &r;
        on_block(r, 0, false);
        past_end(r, 0);
        const int64_t v = r.number(1);
        if (v % 5 != 0) {
          warn(kRoundedValue, r, 1,
               "a speed limit of " + std::to_string(v) + " km/h is kept as " +
                   std::to_string(round_to_int(static_cast<double>(v) / 5) * 5) +
                   " km/h: the track holds limits in steps of 5");
        }
        above_boards(r, line_file);
      } else if (k == "aderenza") {
        ascending(r, adhesion, "adhesion",
                  "adhesion rows must ascend, else the values are written out of place");
        adhesion = &r;
        on_block(r, 0, false);
        past_end(r, 0);
        const int64_t a = r.number(1);
        if (a < 0 || a > 255) {
          warn(kRoundedValue, r, 1,
               "an adhesion of " + std::to_string(a) +
                   " keeps only its low 8 bits: " + std::to_string(a & 0xFF) + " is stored");
        }
      } else if (k == "segnale") {
        ascending(r, signal, "signal", "signals are listed in route order");
        signal = &r;
        on_block(r, 0, true);
        past_end(r, 0);
        const int64_t f11 = r.number(10);
        if (r.number(1) == 2 && f11 >= 1 && f11 <= 100) {
          warn(kRoundedValue, r, 10,
               "field 11 = " + std::to_string(f11) +
                   " is stored as 101: values 1 to 100 are raised to 101");
        }
        for (size_t i = 2; i <= 4; ++i) sixteen_bits(r, i, 10 * r.number(i) + r.number(i + 5));
        sixteen_bits(r, 5, 10 * r.number(5) + 3 * r.number(1) + r.number(6));
      } else if (k == "rallentamento") {
        on_block(r, 0, true);
        past_end(r, 0, r.number(0) + r.number(2));
        for (const size_t i : {size_t{1}, size_t{3}, size_t{5}}) sixteen_bits(r, i, r.number(i));
      } else if (k == "abbattimento") {
        on_block(r, 0, false);
        past_end(r, 0);
        if (r.number(1) > 0) sixteen_bits(r, 1, r.number(1));
      } else if (k == "stazione") {
        ascending(r, station, "station", "stations are listed in the order the train reaches them");
        station = &r;
        past_end(r, 0);
        const int64_t time = (r.number(13) * 60 + r.number(14)) * 60 + r.number(15);
        if (time == 0) continue;  // a station passed, with no time
        if (timed != nullptr) {
          const int64_t before =
              (timed->number(13) * 60 + timed->number(14)) * 60 + timed->number(15);
          if (time < before) {
            warn(kTimeBackwards, r, 13,
                 r.values[16].text + " is timed " + clock(time) + ", before " +
                     timed->values[16].text + " at " + clock(before) + " (line " +
                     std::to_string(timed->line) + ") that the train reaches first");
          }
        }
        timed = &r;
      }
    }
  }

 private:
  void warn(int32_t code, const ScannedRow& r, size_t value, const std::string& message) {
    const ScannedValue& v = r.values[value];
    const auto line = static_cast<size_t>(v.line);
    const std::string_view text = line >= 1 && line <= lines_->size() ? (*lines_)[line - 1] : "";
    out.push_back(make_warning(code, file_, v.line, v.column, message, text));
  }

  // Rows that the reader fills forward from the last one: one out of order is written in the
  // wrong blocks. Stations and signals are listed in route order too, so one out of it is
  // most likely a slip.
  void ascending(const ScannedRow& r, const ScannedRow* before, const char* what,
                 const char* harm) {
    if (before == nullptr || r.number(0) > before->number(0)) return;
    warn(kNotAscending, r, 0,
         std::string("this ") + what + " row at " + metres(r.number(0)) + " follows one at " +
             metres(before->number(0)) + " (line " + std::to_string(before->line) + "): " + harm);
  }

  // A position placed in a 50 m block: one between blocks moves to the nearest.
  void on_block(const ScannedRow& r, size_t value, bool block_after) {
    const int64_t p = r.number(value);
    if (p % kBlock == 0) return;
    const double q = static_cast<double>(p) / kBlock + (block_after ? 1 : 0);
    const int64_t placed = (round_to_int(q) - (block_after ? 1 : 0)) * kBlock;
    warn(kRoundedValue, r, value,
         metres(p) + " is not a multiple of 50: the reader places it at " + metres(placed));
  }

  void past_end(const ScannedRow& r, size_t value, std::optional<int64_t> end = std::nullopt) {
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

  void sixteen_bits(const ScannedRow& r, size_t value, int64_t stored) {
    if (fits_int16(stored)) return;
    warn(kRoundedValue, r, value,
         std::to_string(stored) + " does not fit its 16-bit block field: " +
             std::to_string(low16(stored)) + " is stored");
  }

  void above_boards(const ScannedRow& r, const std::string& line_file) {
    const int64_t p = r.number(0);
    const ScannedRow* board = nullptr;
    for (const ScannedRow* b : boards_) {
      if (b->number(0) > p) break;
      board = b;
    }
    if (board == nullptr) return;
    int64_t top = 0;
    for (const size_t i : {1, 2, 3, 5, 6, 7}) top = std::max(top, board->number(i));
    if (top == 0 || r.number(1) <= top) return;
    warn(kTrainAboveBoards, r, 1,
         "a limit of " + std::to_string(r.number(1)) + " km/h at " + metres(p) +
             " is above every speed of the line's board in force there (" + line_file + ":" +
             std::to_string(board->line) + ", at " + metres(board->number(0)) + ": at most " +
             std::to_string(top) + " km/h)");
  }

  std::string file_;
  const std::vector<std::string_view>* lines_ = nullptr;
  std::optional<int64_t> route_;
  std::vector<const ScannedRow*> boards_;
};

}  // namespace

std::vector<Diagnostic> lint_sources(const LintedSource& line, const LintedSource& train) {
  Linter l;
  ScannedSource line_scan, train_scan;
  if (line.text != nullptr) {
    l.encoding(line.name, *line.text);
    line_scan = scan_rows(SourceKind::kLine, line.name, *line.text);
    l.out.insert(l.out.end(), line_scan.warnings.begin(), line_scan.warnings.end());
    l.line_rows(line.name, line_scan);
  }
  if (train.text != nullptr) {
    l.encoding(train.name, *train.text);
    train_scan = scan_rows(SourceKind::kTrain, train.name, *train.text);
    l.out.insert(l.out.end(), train_scan.warnings.begin(), train_scan.warnings.end());
    l.train_rows(train.name, train_scan, line.name);
  }
  std::stable_sort(l.out.begin(), l.out.end(), [&](const Diagnostic& a, const Diagnostic& b) {
    const bool a_line = a.file == line.name, b_line = b.file == line.name;
    if (a_line != b_line) return a_line;
    if (a.line != b.line) return a.line < b.line;
    return a.column < b.column;
  });
  return l.out;
}

}  // namespace scenario

#include "lint/row_scan.h"

#include <algorithm>

#include "source/status_codes.h"
#include "source/text_match.h"

namespace scenario {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }
bool has_letter(std::string_view s) {
  return std::any_of(s.begin(), s.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

// A field as a message quotes it: at most 40 bytes, control bytes as '?'.
std::string quoted(std::string_view s) {
  std::string out = "'";
  for (const char c : s.substr(0, 40)) {
    out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
  }
  return out + (s.size() > 40 ? "...'" : "'");
}

std::optional<int64_t> whole_number(std::string_view t) {
  if (t.empty()) return 0;
  size_t i = t[0] == '+' || t[0] == '-' ? 1 : 0;
  if (i == t.size() || t.size() > 12) return std::nullopt;
  int64_t v = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return std::nullopt;
    v = v * 10 + (t[i] - '0');
  }
  return t[0] == '-' ? -v : v;
}

// Reads value fields from a place in the text as the reader's field stream does: a number ends
// at a comma, a blank or a line end, a text at a comma or a line end, a quoted text at its quote.
class Cursor {
 public:
  Cursor(std::string_view t, size_t pos, int32_t line, size_t line_start, bool after_comma)
      : t_(t), pos_(pos), line_(line), line_start_(line_start), after_comma_(after_comma) {}

  std::optional<ScannedValue> take(bool number) {
    if (!seek()) return std::nullopt;
    ScannedValue v;
    v.line = line_;
    v.column = static_cast<int32_t>(pos_ - line_start_) + 1;
    if (t_[pos_] == '"') {
      v.text = quoted_text();
      if (number) {
        // A quoted number is what the quotes hold, blanks around it trimmed; anything glued to
        // the closing quote makes it no number, as for the reader.
        std::string_view inside = v.text;
        while (!inside.empty() && is_blank(inside.front())) inside.remove_prefix(1);
        while (!inside.empty() && is_blank(inside.back())) inside.remove_suffix(1);
        const bool glued =
            pos_ < t_.size() && t_[pos_] != ',' && !is_blank(t_[pos_]) && !is_line_end(t_[pos_]);
        v.number = glued ? std::nullopt : whole_number(inside);
        while (pos_ < t_.size() && is_blank(t_[pos_])) ++pos_;
      } else {
        while (pos_ < t_.size() && t_[pos_] != ',' && !is_line_end(t_[pos_])) ++pos_;
      }
    } else if (number) {
      const size_t start = pos_;
      while (pos_ < t_.size() && t_[pos_] != ',' && !is_blank(t_[pos_]) && !is_line_end(t_[pos_]))
        ++pos_;
      v.text = std::string(t_.substr(start, pos_ - start));
      while (pos_ < t_.size() && is_blank(t_[pos_])) ++pos_;
      v.number = whole_number(v.text);
    } else {
      const size_t start = pos_;
      while (pos_ < t_.size() && t_[pos_] != ',' && !is_line_end(t_[pos_])) ++pos_;
      size_t end = pos_;
      while (end > start && is_blank(t_[end - 1])) --end;
      v.text = std::string(t_.substr(start, end - start));
    }
    delimiter();
    return v;
  }

  int32_t line() const { return line_; }
  // What is left of the current line, from where the next field would begin.
  std::string_view rest_of_line(size_t* start_column) const {
    size_t end = pos_;
    while (end < t_.size() && !is_line_end(t_[end])) ++end;
    *start_column = pos_ - line_start_ + 1;
    return t_.substr(pos_, end - pos_);
  }

 private:
  // The text between the opening quote at pos_ and its closing one (or the end of the text),
  // counting the line ends inside; pos_ ends just after the closing quote.
  std::string quoted_text() {
    const size_t close = t_.find('"', pos_ + 1);
    const size_t end = close == std::string_view::npos ? t_.size() : close;
    std::string text(t_.substr(pos_ + 1, end - pos_ - 1));
    for (size_t k = pos_ + 1; k < end; ++k) {
      if (t_[k] == '\n' || (t_[k] == '\r' && k + 1 < t_.size() && t_[k + 1] != '\n')) {
        ++line_;
        line_start_ = k + 1;
      }
    }
    pos_ = std::min(end + 1, t_.size());
    return text;
  }

  bool seek() {
    while (true) {
      while (pos_ < t_.size() && is_blank(t_[pos_])) ++pos_;
      if (pos_ >= t_.size()) return after_comma_;
      if (is_line_end(t_[pos_])) {
        if (after_comma_) return true;
        line_end();
        continue;
      }
      return true;
    }
  }
  void line_end() {
    if (t_[pos_] == '\r' && pos_ + 1 < t_.size() && t_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
    ++line_;
    line_start_ = pos_;
  }
  void delimiter() {
    after_comma_ = false;
    if (pos_ >= t_.size()) return;
    if (t_[pos_] == ',') {
      ++pos_;
      after_comma_ = true;
    } else if (is_line_end(t_[pos_])) {
      line_end();
    }
  }

  std::string_view t_;
  size_t pos_;
  int32_t line_;
  size_t line_start_;
  bool after_comma_;
};

struct Line {
  size_t start;  // first byte
  size_t end;    // one past the last byte before the line end
};

std::vector<Line> lines_of(std::string_view t) {
  std::vector<Line> out;
  size_t start = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    if (!is_line_end(t[i])) continue;
    out.push_back({start, i});
    if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < t.size()) out.push_back({start, t.size()});
  return out;
}

enum class Place { kBefore, kLineGeneral, kLineBody, kTrain };

RowScope scope_of(Place p) {
  return p == Place::kLineGeneral ? RowScope::kLineGeneral
         : p == Place::kLineBody  ? RowScope::kLineBody
                                  : RowScope::kTrain;
}

std::string_view scope_words(RowScope s) {
  switch (s) {
    case RowScope::kLineGeneral:
      return "the line's [generale] section";
    case RowScope::kLineBody:
      return "the line body";
    default:
      return "the train source";
  }
}

// A line written the way other formats write comments.
bool comment_like(std::string_view trimmed) {
  return !trimmed.empty() && (trimmed[0] == '#' || trimmed[0] == ';' || trimmed[0] == '\'' ||
                              trimmed.substr(0, 2) == "//");
}

class Scanner {
 public:
  Scanner(SourceKind source, const std::string& file, std::string_view text)
      : source_(source), file_(file), t_(text), lines_(lines_of(text)) {}

  ScannedSource run() {
    for (size_t i = 0; i < lines_.size(); ++i) out_.lines.push_back(text_of(number_of(i)));
    for (size_t i = 0; i < lines_.size();) i = line(i);
    // The line reader stops with a status of its own; the train reader silently reads nothing.
    if (place_ == Place::kBefore && source_ == SourceKind::kTrain && !lines_.empty()) {
      warn(kNoGeneral, 1, 1,
           "no field holds [generale]: the reader skips everything before it, so it takes "
           "nothing of this source");
    }
    return std::move(out_);
  }

 private:
  int32_t number_of(size_t index) const { return static_cast<int32_t>(index) + 1; }

  void warn(int32_t code, int32_t line, int32_t column, std::string message) {
    out_.warnings.push_back(
        make_warning(code, file_, line, column, std::move(message), text_of(line)));
  }
  std::string_view text_of(int32_t line) const {
    if (line < 1 || static_cast<size_t>(line) > lines_.size()) return {};
    const Line& l = lines_[static_cast<size_t>(line - 1)];
    return t_.substr(l.start, l.end - l.start);
  }

  // Scans the line at index; returns the index of the next line to scan.
  size_t line(size_t index) {
    const Line& l = lines_[index];
    size_t p = l.start;
    while (p < l.end && is_blank(t_[p])) ++p;
    if (p == l.end) return index + 1;
    size_t e = p;
    while (e < l.end && t_[e] != ',') ++e;
    size_t k_end = e;
    while (k_end > p && is_blank(t_[k_end - 1])) --k_end;
    const std::string keyword(t_.substr(p, k_end - p));
    const int32_t line_no = number_of(index);
    const int32_t column = static_cast<int32_t>(p - l.start) + 1;

    if (place_ == Place::kBefore) {
      if (contains_ci(keyword, "[generale]")) {
        place_ = source_ == SourceKind::kLine ? Place::kLineGeneral : Place::kTrain;
      }
      return index + 1;
    }
    // A field with a hyphen where a keyword is due is the readers' comment.
    if (contains(keyword, "-")) return index + 1;
    const RowScope scope = scope_of(place_);
    const std::vector<const RowKindEntry*> kinds = row_kinds_matching(scope, keyword);
    if (comment_like(keyword)) {
      std::string m = quoted(keyword) + " is no comment: the readers have none, and skip a line ";
      m += "only when its first field holds a hyphen ('- ...')";
      if (!kinds.empty()) {
        m += "; this one is read as a " + std::string(kinds.front()->keyword) +
             " row, which takes its values from the lines after it";
      }
      warn(kCommentRow, line_no, column, m);
      return index + 1;
    }
    const bool header = contains(keyword, "[") && contains(keyword, "]");
    if (kinds.empty()) {
      if (header) {
        if (place_ == Place::kLineGeneral) place_ = Place::kLineBody;
        return index + 1;
      }
      unknown(keyword, scope, line_no, column);
      return index + 1;
    }
    // The values of every kind the keyword names, read in turn as the reader reads them.
    const bool comma = e < l.end;
    Cursor c(t_, comma ? e + 1 : l.end, line_no, l.start, comma);
    if (!comma) {
      // The keyword field ends at the line end: the values start on the next line.
      c = Cursor(t_, index + 1 < lines_.size() ? lines_[index + 1].start : t_.size(), line_no + 1,
                 index + 1 < lines_.size() ? lines_[index + 1].start : t_.size(), false);
    }
    size_t expected = 0;
    std::vector<ScannedRow> rows;
    std::vector<const ScannedValue*> all;
    for (const RowKindEntry* kind : kinds) {
      ScannedRow row;
      row.kind = kind;
      row.keyword = keyword;
      row.line = line_no;
      row.column = column;
      for (const FieldEntry& f : kind->fields) {
        std::optional<ScannedValue> v = c.take(f.width != "text");
        if (!v) break;
        row.values.push_back(std::move(*v));
      }
      expected += kind->fields.size();
      rows.push_back(std::move(row));
    }
    for (const ScannedRow& r : rows) {
      for (const ScannedValue& v : r.values) all.push_back(&v);
    }
    if (kinds.front()->keyword == "curva") curve_hand(keyword, line_no, column);

    // Values from a later line: a row run on over lines, or one short of values that takes
    // the next row's keyword as its own value.
    const auto spill = std::find_if(all.begin(), all.end(),
                                    [&](const ScannedValue* v) { return v->line > line_no; });
    const bool short_row =
        all.size() < expected ||
        (spill != all.end() && (has_letter((*spill)->text) || contains((*spill)->text, "[")));
    if (short_row) {
      const size_t on_line = static_cast<size_t>(spill - all.begin());
      std::string m = "the " + std::string(kinds.front()->keyword) + " row has " +
                      std::to_string(on_line) + (on_line == 1 ? " value" : " values") +
                      " where it takes " + std::to_string(expected);
      m += all.size() < expected ? ", and the file ends"
                                 : ": the reader takes the missing ones from the next line (" +
                                       quoted((*spill)->text) + ")";
      warn(kFieldCount, line_no, static_cast<int32_t>(l.end - l.start) + 1, m);
      return index + 1;
    }
    for (ScannedRow& r : rows) {
      r.sound = r.values.size() == r.kind->fields.size();
      for (size_t i = 0; i < r.values.size(); ++i) {
        if (r.kind->fields[i].width != "text" && !r.values[i].number) r.sound = false;
      }
      out_.rows.push_back(std::move(r));
    }
    const int32_t last_line = all.empty() ? line_no : all.back()->line;
    if (c.line() == last_line) extras(kinds.front(), all, c, last_line);
    return static_cast<size_t>(last_line);  // the index of the line after the row's last
  }

  // Fields left on the row's last line once the reader has its values.
  void extras(const RowKindEntry* kind, const std::vector<const ScannedValue*>& all,
              const Cursor& c, int32_t line_no) {
    size_t column = 0;
    const std::string_view rest = c.rest_of_line(&column);
    std::vector<std::pair<std::string, int32_t>> fields;  // text, column
    size_t start = 0;
    while (start <= rest.size()) {
      size_t end = rest.find(',', start);
      if (end == std::string_view::npos) end = rest.size();
      size_t a = start, b = end;
      while (a < b && is_blank(rest[a])) ++a;
      while (b > a && is_blank(rest[b - 1])) --b;
      if (b > a) {
        fields.emplace_back(std::string(rest.substr(a, b - a)), static_cast<int32_t>(column + a));
      }
      start = end + 1;
    }
    if (fields.empty()) return;
    // "8,5": a number, a comma and digits with no blank around, standing alone (not one of
    // a run of numbers written close, as "2,4,0").
    const std::string_view line = text_of(line_no);
    const auto decimal_pair = [&](const ScannedValue& a, int32_t b_column, size_t b_size) {
      const auto ac = static_cast<size_t>(a.column - 1);
      const auto bc = static_cast<size_t>(b_column - 1);
      if (!a.number || a.text.empty() || ac == 0 || !is_blank(line[ac - 1])) return false;
      if (bc != ac + a.text.size() + 1 || bc + b_size > line.size() || line[bc - 1] != ',') {
        return false;
      }
      for (size_t k = bc; k < bc + b_size; ++k) {
        if (line[k] < '0' || line[k] > '9') return false;
      }
      const size_t after = bc + b_size;
      return after >= line.size() || is_blank(line[after]) ||
             (line[after] == ',' && (after + 1 >= line.size() || is_blank(line[after + 1])));
    };
    const ScannedValue* decimal = nullptr;
    std::string decimal_part;
    for (size_t i = 0; i < all.size(); ++i) {
      if (all[i]->line != line_no) continue;
      const bool last = i + 1 == all.size();
      const std::string& b = last ? fields.front().first : all[i + 1]->text;
      const int32_t b_column = last ? fields.front().second : all[i + 1]->column;
      if ((last || all[i + 1]->line == line_no) && decimal_pair(*all[i], b_column, b.size())) {
        decimal = all[i];
        decimal_part = b;
      }
    }
    if (decimal != nullptr) {
      warn(kDecimalPart, line_no, decimal->column,
           quoted(decimal->text + "," + decimal_part) + " reads as " + decimal->text + ", and " +
               decimal_part +
               " as the next value: values are whole numbers, and a comma ends a field");
      return;
    }
    std::string m = "the " + std::string(kind->keyword) + " row has " +
                    std::to_string(all.size() + fields.size()) + " values where it takes " +
                    std::to_string(all.size()) + ": the reader skips " +
                    quoted(fields.front().first);
    if (fields.size() > 1) m += " and what follows";
    if (!kind->fields.empty() && kind->fields.back().width == "text") {
      m += " (a comma ends the " + std::string(kind->fields.back().name) +
           "; put it in double quotes to keep one)";
    }
    warn(kFieldCount, line_no, fields.front().second, m);
  }

  void unknown(const std::string& keyword, RowScope scope, int32_t line_no, int32_t column) {
    std::string m;
    if (!has_letter(keyword)) {
      warn(kUnknownKeyword, line_no, column,
           "a line with no keyword: the reader skips " + quoted(keyword) + " and its fields");
      return;
    }
    // A keyword of another section or of the other source.
    for (const RowKindEntry& k : row_kind_entries()) {
      if (k.scope == scope || !recognises(k, keyword)) continue;
      m = quoted(keyword) + " is a " + std::string(k.keyword) + " row of " +
          std::string(scope_words(k.scope)) + ": in " + std::string(scope_words(scope)) +
          " the reader skips it";
      warn(kUnknownKeyword, line_no, column, m);
      return;
    }
    std::vector<const RowKindEntry*> among;
    for (const RowKindEntry& k : row_kind_entries()) {
      if (k.scope == scope) among.push_back(&k);
    }
    m = quoted(keyword) + " names no row kind of " + std::string(scope_words(scope)) +
        ": the reader skips the row";
    const std::vector<std::string_view> near = nearest_keywords(keyword, among, 1);
    if (!near.empty()) {
      m += "; did you mean '" + std::string(near.front()) + "'?";
      const RowKindEntry* k = find_row_kind(near.front());
      if (k != nullptr && k->case_sensitive) m += " (its words are matched in lower case)";
    }
    warn(kUnknownKeyword, line_no, column, m);
  }

  // A curve keyword is curva, s or d, a digit 1 to 6; other letters still make a curve.
  void curve_hand(const std::string& keyword, int32_t line_no, int32_t column) {
    std::string lower;
    for (const char ch : keyword) lower += ascii_lower(ch);
    const bool plain = lower.size() == 7 && lower.compare(0, 5, "curva") == 0 &&
                       (lower[5] == 's' || lower[5] == 'd') && lower[6] >= '1' && lower[6] <= '6';
    if (plain) return;
    char digit = 0;
    for (const char d : std::string_view("123456")) {
      if (lower.find(d) != std::string::npos) {
        digit = d;
        break;
      }
    }
    if (digit == 0) return;  // no sharpness: the reader stops with a status
    const bool left = lower.find('s') != std::string::npos;
    warn(kUnknownKeyword, line_no, column,
         quoted(keyword) + " is read as a " + (left ? "left" : "right") + " curve of sharpness " +
             digit + " (as curva" + (left ? "s" : "d") + digit +
             "): a curve keyword is curva, s (left) or d (right), and a digit 1 to 6");
  }

  SourceKind source_;
  std::string file_;
  std::string_view t_;
  std::vector<Line> lines_;
  Place place_ = Place::kBefore;
  ScannedSource out_;
};

}  // namespace

ScannedSource scan_rows(SourceKind source, const std::string& file, std::string_view text) {
  return Scanner(source, file, text).run();
}

}  // namespace scenario

#include "formatter/source_formatter.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "source/row_scanner.h"
#include "source/text_match.h"

namespace scenario {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// A field's place on its line: columns from 1, end one past its last character.
struct Span {
  int32_t column = 0;
  int32_t end = 0;
};

// What the scan found on one line: how many fields begin there, and the one row that may take
// its column form.
struct LineFacts {
  int fields = 0;
  bool header = false;  // a section header (or the one holding "[generale]")
  const RowKindEntry* kind = nullptr;
  Span keyword;
  std::vector<Span> values;
  bool pendenza_at_zero = false;
};

// Collects the facts of each line from the tolerant scan: the readers' own cutting and keyword
// tests, so that a row is formatted only where the readers see exactly that row.
class Facts : public ScanVisitor {
 public:
  explicit Facts(size_t lines) : lines_(lines + 2) {}

  std::vector<LineFacts> lines_;
  int32_t general_line = 0;
  int32_t quote_line = 0;

  void general_header(const Field& f) override {
    general_line = f.line;
    field(f.line).header = true;
  }
  void keyword(const KeywordField& k) override {
    // A comment field passed over before it spoils its line for a row.
    if (k.skipped > 0) {
      field(k.first_skipped.line);
      if (k.last_skipped.line != k.first_skipped.line) field(k.last_skipped.line);
    }
    LineFacts& l = field(k.field.line);
    if (k.end_line != k.field.line) field(k.end_line);
    const bool header = k.kind_count == 0 && contains(k.field.text, "[") &&
                        contains(k.field.text, "]") && !contains(k.field.text, "-");
    if (header) l.header = true;
    if (k.kind_count == 1) {
      pending_ = k.field.line;
      keyword_ = {k.field.column, k.end_line == k.field.line ? k.end_column : 0};
    } else {
      pending_ = 0;
    }
  }
  void row(const KeywordField& k, const ScannedRow& r) override {
    for (const ScannedValue& v : r.values) {
      field(v.line);
      if (v.end_line != v.line) field(v.end_line);
    }
    if (pending_ == 0 || !r.complete() || k.kind_count != 1) return;
    LineFacts& l = lines_[static_cast<size_t>(pending_)];
    for (const ScannedValue& v : r.values) {
      if (v.line != pending_ || v.end_line != pending_) return;
    }
    l.kind = r.kind;
    l.keyword = keyword_;
    l.values.clear();
    for (const ScannedValue& v : r.values) l.values.push_back({v.column, v.end_column});
    l.pendenza_at_zero = r.id == RowKindId::kGradient && r.values[0].text == "0";
  }
  void last_field(const KeywordField& k) override {
    // The closing "[fine]": read by nobody, still a header to the author.
    keyword(k);
  }
  void finished(int32_t quote_across_lines) override { quote_line = quote_across_lines; }

 private:
  LineFacts& field(int32_t line) {
    LineFacts& l = lines_[static_cast<size_t>(std::clamp<int64_t>(line, 0, lines_.size() - 1))];
    ++l.fields;
    return l;
  }

  int32_t pending_ = 0;
  Span keyword_;
};

// The text between two fields: blanks, and one comma unless the fields share one (the clock).
bool joins(std::string_view between, bool comma) {
  size_t commas = 0;
  for (const char c : between) {
    if (c == ',') {
      ++commas;
    } else if (!is_blank(c)) {
      return false;
    }
  }
  return commas == (comma ? 1u : 0u) && (comma || !between.empty());
}

// The row of a line in its column form, or nullopt when the line holds more than that row.
std::optional<std::string> format_row(std::string_view line, const LineFacts& f) {
  const RowKindEntry& kind = *f.kind;
  const std::span<const ValueForm> form = column_form(kind);
  const bool clock = kind.blank_separated;
  if (form.empty() || f.keyword.end == 0 || f.values.size() != kind.fields.size() ||
      f.fields != static_cast<int>(1 + f.values.size())) {
    return std::nullopt;
  }
  const auto text = [&](Span s) {
    return line.substr(static_cast<size_t>(s.column - 1), static_cast<size_t>(s.end - s.column));
  };
  const auto between = [&](int32_t from_end, int32_t to_column) {
    return line.substr(static_cast<size_t>(from_end - 1),
                       static_cast<size_t>(std::max(to_column - from_end, 0)));
  };
  // Nothing before the keyword but blanks, nothing after the last value.
  if (!joins(line.substr(0, static_cast<size_t>(f.keyword.column - 1)), false) &&
      f.keyword.column != 1) {
    return std::nullopt;
  }
  for (const char c : line.substr(static_cast<size_t>(f.values.back().end - 1))) {
    if (!is_blank(c)) return std::nullopt;
  }
  std::string out(text(f.keyword));
  Span previous = f.keyword;
  for (size_t i = 0; i < f.values.size(); ++i) {
    const Span v = f.values[i];
    // The clock's three numbers share its one field, apart by blanks alone.
    const bool comma = !clock || i == 0;
    if (!joins(between(previous.end, v.column), comma)) return std::nullopt;
    previous = v;
    const std::string_view value = text(v);
    if (clock) {
      // The emitter's clock row: runs of 15 and 12 blanks between the numbers. The blank it
      // writes after them is dropped, as editors trim it: the reader ends a number at a blank.
      static constexpr size_t kClockBlanks[] = {0, 15, 12};
      if (i == 0) out.append(",").append(static_cast<size_t>(form[0].blanks), ' ');
      out.append(kClockBlanks[i], ' ').append(value);
      continue;
    }
    const ValueForm& vf = form[i];
    int blanks = vf.blanks;
    if (vf.width > 0) blanks = std::max(0, vf.width - static_cast<int>(value.size()));
    // The line's first gradient, at position 0, is the one the emitter spells with three
    // blanks and four.
    if (f.pendenza_at_zero) blanks = i == 0 ? 3 : 4;
    out += ',';
    out.append(static_cast<size_t>(blanks), ' ');
    out += value;
  }
  return out;
}

}  // namespace

FormattedSource format_source(std::string_view text, SourceKind kind) {
  FormattedSource result;
  std::string& out = result.text;
  out.reserve(text.size() + text.size() / 16);
  // Each physical line: its bytes and where the next begins (CR LF, CR and LF each end one).
  std::vector<std::pair<size_t, size_t>> lines;  // start, end before the line end
  for (size_t start = 0; start < text.size();) {
    size_t i = start;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    lines.emplace_back(start, i);
    if (i < text.size())
      i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  Facts facts(lines.size());
  scan_source(text, kind, facts);
  for (size_t n = 0; n < lines.size(); ++n) {
    const auto line_no = static_cast<int32_t>(n + 1);
    const std::string_view line = text.substr(lines[n].first, lines[n].second - lines[n].first);
    if (facts.quote_line > 0 && line_no >= facts.quote_line) {
      // A quoted field runs over a line end from here: its line ends are its text.
      result.untouched_from = line_no;
      out.append(line.data(), static_cast<size_t>(text.data() + text.size() - line.data()));
      return result;
    }
    const LineFacts& f = facts.lines_[n + 1];
    std::optional<std::string> formatted;
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
      formatted = "";
    } else if (f.header && f.fields == 1 && line_no >= facts.general_line &&
               facts.general_line > 0) {
      // A section header alone on its line loses its blanks.
      size_t last = line.size();
      while (last > first && is_blank(line[last - 1])) --last;
      formatted = std::string(line.substr(first, last - first));
    } else if (f.kind != nullptr && line_no > facts.general_line) {
      formatted = format_row(line, f);
    }
    if (formatted) {
      out += *formatted;
    } else {
      // A line kept as it stands still loses its trailing blanks: outside quotes the readers
      // end every field before them.
      size_t last = line.size();
      while (last > 0 && is_blank(line[last - 1])) --last;
      out.append(line.substr(0, last));
    }
    out += "\r\n";
  }
  return result;
}

}  // namespace scenario

#include "formatter/source_formatter.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "source/text_match.h"

namespace scenario {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// One physical line: its bytes and the line end that closed it (CR LF, CR, LF, or none at the
// end of the text), cut as the field stream cuts lines.
struct Line {
  std::string_view text;
  std::string_view end;
};

std::vector<Line> split_lines(std::string_view s) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start < s.size()) {
    size_t i = start;
    while (i < s.size() && s[i] != '\r' && s[i] != '\n') ++i;
    size_t after = i;
    if (i < s.size())
      after = (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ? i + 2 : i + 1;
    lines.push_back({s.substr(start, i - start), s.substr(i, after - i)});
    start = after;
  }
  return lines;
}

// The fields of a line between its commas, blanks at both ends left out. nullopt when a double
// quote on the line is not a field's opening quote closed on the same line: the reader may
// then read a quoted field across commas or lines, and nothing is safe to move.
std::optional<std::vector<std::string_view>> split_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t p = 0;
  while (true) {
    while (p < line.size() && is_blank(line[p])) ++p;
    const size_t start = p;
    if (p < line.size() && line[p] == '"') {
      const size_t close = line.find('"', p + 1);
      if (close == std::string_view::npos) return std::nullopt;
      p = close + 1;
    }
    while (p < line.size() && line[p] != ',') {
      if (line[p] == '"') return std::nullopt;
      ++p;
    }
    size_t end = p;
    while (end > start && is_blank(line[end - 1])) --end;
    fields.push_back(line.substr(start, end - start));
    if (p == line.size()) return fields;
    ++p;  // the comma: another field follows, empty or not
  }
}

bool is_number(std::string_view v, bool empty_ok) {
  if (v.empty()) return empty_ok;
  size_t i = (v[0] == '+' || v[0] == '-') ? 1 : 0;
  if (i == v.size()) return false;
  for (; i < v.size(); ++i) {
    if (v[i] < '0' || v[i] > '9') return false;
  }
  return true;
}

// The clock's three numbers, apart by blanks within one field.
std::optional<std::vector<std::string_view>> clock_numbers(std::string_view v) {
  std::vector<std::string_view> numbers;
  size_t p = 0;
  while (p < v.size()) {
    const size_t start = p;
    while (p < v.size() && !is_blank(v[p])) ++p;
    numbers.push_back(v.substr(start, p - start));
    while (p < v.size() && is_blank(v[p])) ++p;
  }
  if (numbers.size() != 3) return std::nullopt;
  for (const std::string_view n : numbers) {
    if (!is_number(n, false)) return std::nullopt;
  }
  return numbers;
}

// The row in its column form, or nullopt when its values do not fit the kind.
std::optional<std::string> format_row(const RowKindEntry& kind,
                                      const std::vector<std::string_view>& fields) {
  const std::span<const ValueForm> form = column_form(kind);
  if (form.empty() || fields.size() != form.size() + 1) return std::nullopt;
  std::string out(fields[0]);
  for (size_t i = 0; i < form.size(); ++i) {
    const ValueForm& v = form[i];
    const std::string_view value = fields[i + 1];
    out += ',';
    if (v.type == ValueType::kClock) {
      const auto n = clock_numbers(value);
      if (!n) return std::nullopt;
      // The emitter's clock row: runs of 15 and 12 blanks between the numbers, one after them.
      out.append(static_cast<size_t>(v.blanks), ' ');
      out.append((*n)[0]).append(15, ' ').append((*n)[1]).append(12, ' ').append((*n)[2]);
      out += ' ';
      continue;
    }
    if (v.type == ValueType::kNumber && !is_number(value, true)) return std::nullopt;
    int blanks = v.blanks;
    if (v.width > 0) blanks = std::max(0, v.width - static_cast<int>(value.size()));
    // The line's first gradient, at position 0, is the one the emitter spells with three
    // blanks and four.
    if (kind.keyword == "pendenza" && fields[1] == "0") blanks = i == 0 ? 3 : 4;
    out.append(static_cast<size_t>(blanks), ' ');
    out += value;
  }
  return out;
}

// Where a line stands for the reader, line by line: before "[generale]", in the line source's
// general section, or in the body.
enum class Place { kBefore, kGeneral, kBody };

bool is_header(std::string_view f) { return f.size() >= 2 && f.front() == '[' && f.back() == ']'; }

}  // namespace

FormattedSource format_source(std::string_view text, SourceKind kind) {
  FormattedSource result;
  std::string& out = result.text;
  out.reserve(text.size() + text.size() / 16);
  const std::vector<Line> lines = split_lines(text);
  Place place = Place::kBefore;
  for (size_t n = 0; n < lines.size(); ++n) {
    const Line& line = lines[n];
    const auto fields = split_fields(line.text);
    if (!fields) {
      result.untouched_from = static_cast<int32_t>(n + 1);
      out.append(line.text.data(),
                 static_cast<size_t>(text.data() + text.size() - line.text.data()));
      return result;
    }
    const std::string_view keyword = (*fields)[0];
    std::optional<std::string> formatted;
    if (fields->size() == 1 && keyword.empty()) {
      formatted = "";
    } else if (place == Place::kBefore) {
      // Everything up to the opening header is never read; it stays as written.
      if (fields->size() == 1 && is_header(keyword)) formatted = std::string(keyword);
    } else if (contains(keyword, "-")) {
      // A comment: the reader passes over a keyword field with a hyphen.
    } else if (fields->size() == 1 && is_header(keyword)) {
      formatted = std::string(keyword);
    } else {
      const RowScope scope = kind == SourceKind::kTrain ? RowScope::kTrain
                             : place == Place::kGeneral ? RowScope::kLineGeneral
                                                        : RowScope::kLineBody;
      // A field of two kinds reads both rows' values one after the other: no one form fits.
      const auto kinds = row_kinds_matching(scope, keyword);
      if (kinds.size() == 1) formatted = format_row(*kinds[0], *fields);
    }
    if (formatted) {
      out += *formatted;
    } else {
      out += line.text;
    }
    out += "\r\n";

    for (const std::string_view f : *fields) {
      if (place == Place::kBefore && contains_ci(f, "[generale]")) {
        place = kind == SourceKind::kLine ? Place::kGeneral : Place::kBody;
      } else if (place == Place::kGeneral && contains(f, "[") && contains(f, "]") &&
                 f.front() != '-') {
        place = Place::kBody;
      }
    }
  }
  return result;
}

}  // namespace scenario

#include "lsp/source_outline.h"

#include "source/field_stream.h"
#include "source/read_failure.h"
#include "source/text_match.h"

namespace scenario::lsp {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The end of the field that begins at column on line_text: a number ends at a blank, a text at
// the comma or the line end (trailing blanks not counted), a quoted field, text or number, at its
// closing quote.
int32_t field_end(std::string_view line_text, int32_t column, bool number) {
  size_t p = static_cast<size_t>(column > 0 ? column - 1 : 0);
  if (p >= line_text.size()) return column;
  if (line_text[p] == '"') {
    const size_t close = line_text.find('"', p + 1);
    return static_cast<int32_t>(close == std::string_view::npos ? line_text.size() : close + 1) + 1;
  }
  size_t end = p;
  while (end < line_text.size() && line_text[end] != ',' && !(number && is_blank(line_text[end]))) {
    ++end;
  }
  while (end > p && is_blank(line_text[end - 1])) --end;
  return static_cast<int32_t>(end) + 1;
}

bool is_header(std::string_view field) {
  if (!contains(field, "[") || !contains(field, "]")) return false;
  const size_t first = field.find_first_not_of(' ');
  return first != std::string_view::npos && field[first] != '-';
}

std::string lower_trimmed(std::string_view s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string_view::npos) return "";
  const size_t b = s.find_last_not_of(" \t");
  std::string out(s.substr(a, b - a + 1));
  for (char& c : out) c = ascii_lower(c);
  return out;
}

class Walk {
 public:
  Walk(std::string_view text, SourceKind kind) : in_(std::string(text)) { outline_.kind = kind; }

  SourceOutline run() {
    try {
      if (!find_general()) return std::move(outline_);
      if (outline_.kind == SourceKind::kLine) {
        general_section();
        body(RowScope::kLineBody);
      } else {
        body(RowScope::kTrain);
      }
    } catch (const ReadFailure&) {
      // Where the reader fails the outline ends; what was walked stays.
    }
    return std::move(outline_);
  }

 private:
  FieldSpan span_of(const Field& f, bool number) {
    return {f.line, f.column, field_end(in_.line_text(f.line), f.column, number)};
  }

  void add_section(const Field& f) {
    const size_t a = f.text.find_first_not_of(' ');
    outline_.sections.push_back({f.text.substr(a == std::string::npos ? 0 : a), span_of(f, false)});
  }

  bool find_general() {
    while (!in_.at_end()) {
      const Field f = in_.read_text();
      if (contains_ci(f.text, "[generale]")) {
        add_section(f);
        return true;
      }
    }
    return false;
  }

  // The line's general rows, up to the header that ends them.
  void general_section() {
    while (!in_.at_end()) {
      const Field f = in_.read_text();
      if (contains(f.text, "-")) continue;
      if (is_header(f.text)) {
        add_section(f);
        return;
      }
      rows(RowScope::kLineGeneral, f);
    }
  }

  // As next_keyword, but a header that is the last field of the file ("[fine]") still counts
  // as a section for the author, though the reader discards it.
  void body(RowScope scope) {
    while (!in_.at_end()) {
      Field f = in_.read_text();
      for (int skips = 0; skips < 2 && contains(f.text, "-") && !in_.at_end(); ++skips) {
        f = in_.read_text();
      }
      if (is_header(f.text)) {
        add_section(f);
      } else if (!in_.at_end()) {
        rows(scope, f);
      }
    }
  }

  // Every row kind the keyword field meets reads its values in turn, as in the readers.
  void rows(RowScope scope, const Field& keyword) {
    for (const RowKindEntry* kind : row_kinds_matching(scope, keyword.text)) {
      OutlineRow row;
      row.kind = kind;
      row.keyword = span_of(keyword, false);
      row.keyword_text = keyword.text;
      outline_.rows.push_back(std::move(row));
      for (const FieldEntry& entry : kind->fields) {
        OutlineValue v;
        v.entry = &entry;
        if (entry.width == "text") {
          const Field f = in_.read_text();
          v.text = f.text;
          v.span = span_of(f, false);
        } else {
          v.number = in_.read_number();
          v.is_number = true;
          Field place;
          place.line = in_.line();
          place.column = in_.column();
          v.span = span_of(place, true);
        }
        outline_.rows.back().values.push_back(std::move(v));
      }
    }
  }

  FieldStream in_;
  SourceOutline outline_;
};

}  // namespace

SourceOutline outline_source(std::string_view text, SourceKind kind) {
  return Walk(text, kind).run();
}

const OutlineSection* section_at(const SourceOutline& outline, int32_t line) {
  const OutlineSection* at = nullptr;
  for (const OutlineSection& s : outline.sections) {
    if (s.span.line > line) break;
    at = &s;
  }
  return at;
}

std::vector<const RowKindEntry*> row_kinds_at(const SourceOutline& outline, int32_t line) {
  const OutlineSection* s = section_at(outline, line);
  if (s == nullptr) return {};
  if (outline.kind == SourceKind::kLine && s == &outline.sections.front()) {
    return row_kinds_of_section(SourceKind::kLine, "[generale]");
  }
  return row_kinds_of_section(outline.kind, lower_trimmed(s->header));
}

}  // namespace scenario::lsp

#include "lsp/source_outline.h"

#include "source/row_scanner.h"
#include "source/text_match.h"

namespace scenario::lsp {
namespace {

bool is_header(std::string_view field) {
  return field.find('[') != std::string_view::npos && RowScanner::ends_general_section(field);
}

std::string lower_trimmed(std::string_view s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string_view::npos) return "";
  const size_t b = s.find_last_not_of(" \t");
  std::string out(s.substr(a, b - a + 1));
  for (char& c : out) c = ascii_lower(c);
  return out;
}

// Collects the outline from the tolerant scan, which goes on past every fault.
struct Collect : ScanVisitor {
  SourceOutline& out;
  explicit Collect(SourceOutline& o) : out(o) {}

  void section(const Field& f, int32_t end_column) {
    const size_t a = f.text.find_first_not_of(' ');
    out.sections.push_back(
        {f.text.substr(a == std::string::npos ? 0 : a), {f.line, f.column, end_column}});
  }
  void general_header(const Field& f) override {
    section(f, f.column + static_cast<int32_t>(f.text.size()));
  }
  void keyword(const KeywordField& k) override {
    if (k.kind_count == 0 && is_header(k.field.text)) section(k.field, k.end_column);
  }
  // A header that is the last field of the file ("[fine]") still counts as a section for the
  // author, though the reader discards it.
  void last_field(const KeywordField& k) override {
    if (is_header(k.field.text)) section(k.field, k.end_column);
  }
  void row(const KeywordField& k, const ScannedRow& r) override {
    OutlineRow row;
    row.kind = r.kind;
    row.keyword = {k.field.line, k.field.column, k.end_column};
    row.keyword_text = k.field.text;
    for (size_t i = 0; i < r.values.size(); ++i) {
      const ScannedValue& v = r.values[i];
      if (v.failed) break;
      OutlineValue o;
      o.entry = &r.kind->fields[i];
      o.span = {v.line, v.column, v.end_line == v.line ? v.end_column : v.column + 1};
      o.is_number = v.is_number;
      if (v.is_number) {
        o.number = v.number;
      } else {
        o.text = v.text;
      }
      row.values.push_back(std::move(o));
    }
    out.rows.push_back(std::move(row));
  }
};

}  // namespace

SourceOutline outline_source(std::string_view text, SourceKind kind) {
  SourceOutline outline;
  outline.kind = kind;
  Collect c(outline);
  scan_source(text, kind, c);
  return outline;
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

// Where the sections, rows and fields of a source text lie, walked as the readers walk it, for
// the editor's hover, symbols and completion. Reading only: faults are the compile's to report.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "source/field_reference.h"

namespace scenario::lsp {

// A field's place on its line: columns from 1, end one past its last character.
struct FieldSpan {
  int32_t line = 0;
  int32_t column = 0;
  int32_t end_column = 0;

  bool covers(int32_t l, int32_t c) const { return l == line && c >= column && c <= end_column; }
};

struct OutlineValue {
  FieldSpan span;
  const FieldEntry* entry = nullptr;
  std::string text;    // text values
  int32_t number = 0;  // number values
  bool is_number = false;
};

struct OutlineRow {
  const RowKindEntry* kind = nullptr;
  FieldSpan keyword;
  std::string keyword_text;
  std::vector<OutlineValue> values;  // as many as were read before a fault or the end
};

struct OutlineSection {
  std::string header;  // as written, blanks around it removed
  FieldSpan span;
};

struct SourceOutline {
  SourceKind kind = SourceKind::kLine;
  std::vector<OutlineSection> sections;  // "[generale]" first, in file order
  std::vector<OutlineRow> rows;          // in file order
};

// Walks a source text (Windows-1252 bytes) of the given kind as the readers walk it. Where the
// reader would fail (a malformed number, an unclosed quote) the row keeps the values before the
// fault, and the walk goes on with the next row.
SourceOutline outline_source(std::string_view text, SourceKind kind);

// The section whose header stands last before the place (line from 1); null before the first.
const OutlineSection* section_at(const SourceOutline& outline, int32_t line);

// The row kinds that the reader takes at that place: the ones of the section there, and for
// the line source the general rows while its first section lasts.
std::vector<const RowKindEntry*> row_kinds_at(const SourceOutline& outline, int32_t line);

}  // namespace scenario::lsp

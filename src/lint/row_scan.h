// The rows of a source text as its author wrote them, one a line, cut into fields the way the
// reader cuts them: what the warnings look at. Nothing here fails; what the reader would refuse
// is left to the compile.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "source/diagnostic.h"
#include "source/field_reference.h"

namespace scenario {

// One value field of a row as the reader takes it.
struct ScannedValue {
  std::string text;
  int32_t line = 0;
  int32_t column = 0;
  std::optional<int64_t> number;  // the value, when the field is a whole number (empty is 0)
};

// A row whose keyword names a row kind of its section.
struct ScannedRow {
  const RowKindEntry* kind = nullptr;
  std::string keyword;
  int32_t line = 0;
  int32_t column = 0;
  std::vector<ScannedValue> values;  // as many as the kind takes, or fewer at the file's end
  // Every value is present and every number field a whole number: the row's values mean what
  // its kind says.
  bool sound = false;

  // Value i as a number; 0 when it is not one.
  int64_t number(size_t i) const {
    return i < values.size() && values[i].number ? *values[i].number : 0;
  }
};

struct ScannedSource {
  std::vector<std::string_view> lines;  // the text of each line, without its line end
  std::vector<ScannedRow> rows;
  std::vector<Diagnostic> warnings;  // of the rows' form: keywords, comments, field counts
};

// Scans the text of a source of the given kind, called file in the warnings. The result refers
// to text, which must outlive it.
ScannedSource scan_rows(SourceKind source, const std::string& file, std::string_view text);

}  // namespace scenario

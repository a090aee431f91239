// Rewrites a source text into the column forms that the emitter writes, without changing
// anything the readers read: only blanks next to the commas and at the ends of lines, the
// blanks between the clock's numbers, and the line ends change.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formatter/column_forms.h"

namespace scenario {

struct FormattedSource {
  std::string text;
  // The first line (from 1) left as it stands together with every line after it, because a
  // double quote there does not open and close a field on its line; 0 when there is none.
  int32_t untouched_from = 0;
};

// Formats a source of the given kind. Recognised rows take the emitter's column form; section
// headers and blank lines lose their blanks; text before "[generale]", comments, rows of no
// single known kind or with another count of values are kept as they are. Every line ends in
// CR LF, the last one included.
FormattedSource format_source(std::string_view text, SourceKind kind);

}  // namespace scenario

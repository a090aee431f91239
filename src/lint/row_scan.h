// The rows of a source text as the readers take them (through the row scanner), and the
// warnings about their form: keywords, comments, field counts. Nothing here fails; what the
// reader would refuse is left to the compile.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "source/diagnostic.h"
#include "source/field_reference.h"
#include "source/row_scanner.h"

namespace scenario {

// A row whose keyword names a row kind of its section, with every value read well: what the
// warnings about values look at.
struct LintRow {
  const RowKindEntry* kind = nullptr;
  int32_t line = 0;
  int32_t column = 0;
  std::vector<ScannedValue> values;

  // Value i as a number; 0 when it is none.
  int64_t number(size_t i) const {
    return i < values.size() && values[i].is_number ? values[i].number : 0;
  }
};

// Where each line of a text starts, found once, so that a warning quotes its row at once.
class TextLines {
 public:
  explicit TextLines(std::string_view text);
  std::string_view line(int32_t n) const;  // from 1; empty beyond the text
  size_t count() const { return starts_.size(); }

 private:
  std::string_view text_;
  std::vector<size_t> starts_;
};

// A warning at a line and column, with the one edit that mends it where there is one.
using WarnFn = std::function<void(int32_t code, int32_t line, int32_t column, std::string,
                                  std::optional<Fix>)>;
using RowFn = std::function<void(const LintRow&)>;
// Whether a warning of that code would be kept: when not, it is only counted, and its message
// (which may cost a search for the nearest keyword) is not composed.
using WantFn = std::function<bool(int32_t code)>;

// Scans the text of a source of the given kind as the readers read it: each warning about the
// rows' form goes to warn (with an empty message when wanted says it is only counted), each row
// read well to row, in file order.
void scan_rows(SourceKind source, std::string_view text, const WarnFn& warn, const RowFn& row,
               const WantFn& wanted);

// A field as a message quotes it: at most 40 bytes, control bytes as \xNN as in the row below it.
std::string quoted(std::string_view s);

}  // namespace scenario

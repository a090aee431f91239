// Warnings of meaning: rows the readers take without a fault whose values cannot mean what an
// author wrote them for (a minute of 60, a speed of 0, a flag of -1), entries that contradict or
// repeat one another (two stations of one name, a slowdown above the limit it should lower, a
// row a later one replaces), and texts longer than the documents' cells that show them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lint/row_scan.h"
#include "source/diagnostic.h"

namespace scenario {

// Where the checks report.
class RowWarner {
 public:
  virtual ~RowWarner() = default;
  // A warning at value `value` of row r (its keyword for kKeywordValue).
  virtual void warn(int32_t code, const LintRow& r, size_t value, const std::string& message,
                    std::optional<Fix> fix) = 0;
  // A warning at a place of the source being read, kept from an earlier row.
  virtual void warn_at(int32_t code, int32_t line, int32_t column, const std::string& message) = 0;
  // Line `line` (from 1) of the source being read.
  virtual std::string_view line_text(int32_t line) const = 0;
};

inline constexpr size_t kKeywordValue = SIZE_MAX;

// The edit that writes text in place of value v.
Fix replace_value(const ScannedValue& v, std::string text, std::string title);

// Values outside what they can mean, row by row. Each row kind's ranges are a table here; the
// reference's range text for each field names the same bounds.
struct ValueRange {
  RowKindId kind;
  size_t value;  // index among the row's values
  int64_t low;
  int64_t high;
  const char* effect;  // what the reader and the compiled files make of a value outside
};
std::span<const ValueRange> value_ranges();

// The checks that look across rows, fed the rows of both sources in file order.
class MeaningChecks {
 public:
  explicit MeaningChecks(RowWarner& out) : out_(out) {}

  void line_row(const LintRow& r);
  // The line source is read (called while its text is still at hand).
  void line_done();
  void train_row(const LintRow& r);
  void train_done();

 private:
  struct Kept {
    int32_t line = 0;
    int32_t column = 0;
    int64_t a = 0, b = 0, c = 0;
    std::string text;
  };
  void ranges(const LintRow& r);
  void clock(const LintRow& r, size_t hours, const char* what);
  void once(const LintRow& r);
  void station(const LintRow& r);

  RowWarner& out_;
  // The last row of each single row kind (route length, clock, ...), which a later one replaces.
  std::optional<LintRow> single_[kRowKindCount];
  std::vector<Kept> progressives_;  // in use: start, value, direction; text = its kind
  std::optional<int64_t> route_;
  // Blocks that a signal, slowdown or code-cut row took, with the row's line: a station written
  // after them puts its stop marker over them.
  std::vector<int32_t> taken_by_;
  // Kept small: a source may hold a million rows.
  struct Limit {
    int32_t position, speed, line;
  };
  struct Slowdown {
    int32_t line, column, start, length, speed;  // at the speed field
  };
  std::vector<Limit> speeds_;
  std::vector<Slowdown> slowdowns_;
  std::unordered_map<std::string, int32_t> names_;  // station names with their first line
  std::optional<Kept> first_station_, last_station_;
};

}  // namespace scenario

// The grammar of both sources in one place: which fields are keyword fields, which are passed
// over as comments, where the line's general section ends, and which row kinds a keyword field
// names (through the field reference, in the readers' order). The readers read their values
// from it one at a time; `check`, the language server and `fmt` scan whole sources with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "source/field_reference.h"
#include "source/field_stream.h"

namespace scenario {

enum class ScanMode {
  kStrict,    // a read that fails throws ReadFailure, as the readers fail
  kTolerant,  // a read that fails is recorded, and the scan goes on with the next row
};

// A keyword field: where the readers test row kinds.
struct KeywordField {
  Field field;
  int32_t end_line = 0;
  int32_t end_column = 0;
  RowScope scope = RowScope::kTrain;
  RowKindId kinds[kRowKindCount] = {};
  size_t kind_count = 0;
  // The line source's header that ends its general section (after the kinds it names, if any,
  // have read their values): the rows after it are body rows.
  bool ends_general = false;
  // The fields with a hyphen passed over just before it, and where the first of them begins.
  int skipped = 0;
  FieldPlace first_skipped;
  FieldPlace last_skipped;

  std::span<const RowKindId> row_kinds() const { return {kinds, kind_count}; }
};

// One value of a scanned row.
struct ScannedValue {
  std::string text;  // as read: quotes removed; a number's digits
  int32_t line = 0;
  int32_t column = 0;
  int32_t end_line = 0;
  int32_t end_column = 0;
  bool is_number = false;
  int32_t number = 0;   // a number field's value (0 for a text, and for one that failed)
  bool failed = false;  // the value that failed the reading
};

// A row as the readers take it: a keyword field and, for one kind it names, its values.
struct ScannedRow {
  RowKindId id{};
  const RowKindEntry* kind = nullptr;
  size_t keyword = 0;                // index of its keyword field in ScannedSource::keywords
  std::vector<ScannedValue> values;  // as many as the kind takes, or those read before a fault
  // Why the row stops short: a value that fails the reading, or the end of the file. Empty
  // when every value was read.
  std::string fault;

  bool complete() const { return fault.empty() && values.size() == kind->fields.size(); }
};

// Walks the keyword fields of one source over its field stream, as the readers walk them.
class RowScanner {
 public:
  // curves: whether curve rows are read (the readers take them only while building the plan).
  RowScanner(FieldStream& in, SourceKind source, ScanMode mode, bool curves = true)
      : in_(in), source_(source), mode_(mode), curves_(curves) {}

  // Passes over the fields before the one holding "[generale]" (letters in any case). False when
  // the file ends first; in the line source a "[generale]" that is the last field of the file
  // counts as missing.
  // Each field passed over is handed to seen, if given, for the readers' own bookkeeping.
  template <typename Seen>
  bool find_general(Seen&& seen) {
    while (true) {
      if (mode_ == ScanMode::kTolerant && in_.at_end()) return false;
      const Field f = read_field();
      seen(f);
      // In the line source a header that is the last field counts as missing (a status of its
      // own); in the train source it leaves nothing to read either way.
      if (in_.at_end() && source_ == SourceKind::kLine) return false;
      if (header_of_general(f.text)) {
        general_ = f;
        scope_ = source_ == SourceKind::kLine ? RowScope::kLineGeneral : RowScope::kTrain;
        return true;
      }
      if (in_.at_end()) return false;
    }
  }
  bool find_general() {
    return find_general([](const Field&) {});
  }

  // The next keyword field; nullopt at the end of the file (a keyword field that is the last
  // field of the file is discarded unread, and kept as last_field()).
  std::optional<KeywordField> next();

  // The value fields of the row being read, one at a time.
  int32_t number() {
    const int32_t v = in_.read_number();
    if (log_ != nullptr) logged(v, {});
    return v;
  }
  Field text() {
    Field f = in_.read_text();
    if (log_ != nullptr) logged(0, f.text);
    return f;
  }

  // Keeps every row that the values are read for, as a reader reads them (for tests that hold
  // the readers and a tolerant scan side by side).
  void log_rows(std::vector<ScannedRow>* log) { log_ = log; }

  RowScope scope() const { return scope_; }
  const std::optional<Field>& general_header() const { return general_; }
  const std::optional<KeywordField>& last_field() const { return last_; }
  FieldStream& stream() { return in_; }

  // The general section ends at a field holding "[" and "]" that does not begin with "-"
  // (blanks before it aside).
  static bool ends_general_section(std::string_view field);
  static bool header_of_general(std::string_view field);

 private:
  Field read_field();
  std::optional<KeywordField> keyword(Field f, int skipped, FieldPlace first_skipped,
                                      FieldPlace last_skipped = {});

  FieldStream& in_;
  SourceKind source_;
  ScanMode mode_;
  bool curves_;
  RowScope scope_ = RowScope::kTrain;
  std::optional<Field> general_;
  std::optional<KeywordField> last_;
  std::vector<ScannedRow>* log_ = nullptr;
  KeywordField logged_keyword_;
  size_t logged_kind_ = 0;
  size_t log_start_ = 0;
  void log_keyword(const KeywordField& k);
  void logged(int32_t number, std::string_view text);
};

// A source scanned in tolerant mode.
struct ScannedSource {
  SourceKind kind = SourceKind::kLine;
  std::optional<Field> general_header;  // the field holding "[generale]"; none when missing
  std::vector<KeywordField> keywords;   // every keyword field examined, in file order
  std::vector<ScannedRow> rows;         // every row read, in file order
  // The keyword field discarded as the last field of the file (the closing "[fine]").
  std::optional<KeywordField> last_field;
};

// Scans a whole source of the given kind as the readers read it (curve rows read), going on
// past every fault. Linear in the text.
ScannedSource scan_source(std::string_view text, SourceKind kind);

// A visitor's form of scan_source for large texts: each keyword field is handed to on_keyword,
// then each of its rows to on_row, without keeping them.
struct ScanVisitor {
  virtual ~ScanVisitor() = default;
  virtual void general_header(const Field&) {}
  virtual void keyword(const KeywordField&) {}
  virtual void row(const KeywordField&, const ScannedRow&) {}
  virtual void last_field(const KeywordField&) {}
  // The scan is over; the stream's first line where a quoted field runs over a line end.
  virtual void finished(int32_t /*quote_across_lines*/) {}
};
void scan_source(std::string_view text, SourceKind kind, ScanVisitor& visitor);

}  // namespace scenario

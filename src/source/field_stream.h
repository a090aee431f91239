// The field stream that both source readers read: fields end at a comma or a line end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// Where a field begins: lines and columns from 1.
struct FieldPlace {
  int32_t line = 0;
  int32_t column = 0;
};

// One field as read, with the place where it begins (lines and columns from 1).
struct Field {
  std::string text;
  int32_t line = 0;
  int32_t column = 0;
};

// Line `line` (from 1) of a source text, without its line end; empty beyond the end.
std::string_view source_line(std::string_view text, int32_t line);

// Cuts a source text into fields. Leading blanks are skipped; a text field runs to the next
// comma or line end (trailing blanks removed) and may be quoted to hold commas; a number field
// also ends at a blank, and may be quoted too. CR LF, LF and CR each end a line; lines holding no
// field are skipped. Reading when no field remains, a malformed number or an unclosed quote throws
// ReadFailure.
class FieldStream {
 public:
  explicit FieldStream(std::string bytes);

  // True when no field remains: the file is at its end.
  bool at_end() const;

  // Reads a text field (a keyword or a board text or a name).
  Field read_text();
  // Reads a number field: an optionally signed decimal whole number, possibly within double
  // quotes; empty reads as 0.
  int32_t read_number();

  // Starts a new row at the field read last (its keyword): later reads are its value fields.
  void begin_row() {
    row_fields_.clear();
    row_fields_.push_back({field_line_, field_column_});
  }
  // The fields of the current row so far, the keyword first.
  const std::vector<FieldPlace>& row_fields() const { return row_fields_; }

  // Where the field read last begins, and where it ends: one past its last character (a
  // number's last digit, a text's last non-blank, a quoted field's closing quote), on end_line.
  int32_t line() const { return field_line_; }
  int32_t column() const { return field_column_; }
  int32_t end_line() const { return end_line_; }
  int32_t end_column() const { return end_column_; }

  // After a read that failed: goes on from the start of the line where the failed field began
  // (at_its_line), else from the line after it. Each call moves on, so a tolerant reader that
  // resumes this way always ends.
  void resume_after_failure(bool at_its_line);
  // The first line (from 1) where a quoted field holds a line end or has no closing quote; 0
  // while there is none. From there on the text's line ends may be inside a field.
  int32_t quote_across_lines() const { return quote_across_lines_; }
  // The bytes of the field read last, as written (a quoted field with its quotes).
  std::string_view field_bytes() const {
    return std::string_view(bytes_).substr(field_pos_, end_pos_ - field_pos_);
  }
  // The text of a line of the source, without its line end.
  std::string_view line_text(int32_t line) const { return source_line(bytes_, line); }
  // Hands the source text over, leaving the stream empty.
  std::string take_bytes() { return std::move(bytes_); }

 private:
  // Moves to the first character of the next field; false when none remains.
  bool seek_field();
  void consume_line_end();
  void consume_delimiter_after_text();
  void consume_delimiter_after_number();
  void mark_field_start();
  // Reads the quoted field that begins at pos_ and returns what the quotes hold; pos_ ends past
  // the closing quote.
  std::string read_quoted();

  std::string bytes_;
  size_t pos_ = 0;
  int32_t line_ = 1;
  size_t line_start_ = 0;
  // A comma ended the previous field, so a field follows even if it is empty.
  bool after_comma_ = false;
  int32_t field_line_ = 0;
  int32_t field_column_ = 0;
  size_t field_line_start_ = 0;
  size_t field_pos_ = 0;
  int32_t quote_across_lines_ = 0;
  // No double quote stands from here to the end of the bytes.
  size_t no_quote_from_ = SIZE_MAX;
  size_t end_pos_ = 0;
  int32_t end_line_ = 0;
  int32_t end_column_ = 0;
  void mark_field_end(size_t end) {
    end_line_ = line_;
    end_column_ = static_cast<int32_t>(end - line_start_) + 1;
    end_pos_ = end;
  }
  std::vector<FieldPlace> row_fields_;
};

}  // namespace scenario

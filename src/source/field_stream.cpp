#include "source/field_stream.h"

#include <limits>

#include "source/control_bytes.h"
#include "source/read_failure.h"

namespace scenario {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }

// A token as a message quotes it: at most 40 bytes, control bytes shown as \xNN.
std::string shown(std::string_view token) {
  std::string s = "'";
  for (const char ch : token.substr(0, 40)) append_shown_byte(s, ch);
  return s + "'";
}

}  // namespace

FieldStream::FieldStream(std::string bytes) : bytes_(std::move(bytes)) {}

bool FieldStream::at_end() const {
  if (after_comma_) return false;
  for (size_t i = pos_; i < bytes_.size(); ++i) {
    if (!is_blank(bytes_[i]) && !is_line_end(bytes_[i])) return false;
  }
  return true;
}

void FieldStream::consume_line_end() {
  if (bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  ++line_;
  line_start_ = pos_;
}

bool FieldStream::seek_field() {
  while (true) {
    while (pos_ < bytes_.size() && is_blank(bytes_[pos_])) ++pos_;
    if (pos_ >= bytes_.size()) return after_comma_;  // a trailing comma leaves one empty field
    if (is_line_end(bytes_[pos_])) {
      if (after_comma_) return true;  // an empty field between a comma and the line end
      consume_line_end();
      continue;
    }
    return true;
  }
}

void FieldStream::mark_field_start() {
  field_line_ = line_;
  field_column_ = static_cast<int32_t>(pos_ - line_start_) + 1;
  field_line_start_ = line_start_;
  field_pos_ = end_pos_ = pos_;
  end_line_ = field_line_;
  end_column_ = field_column_;
  // Bounded: a row has at most 17 value fields, but a runaway keyword search has many.
  if (row_fields_.size() < 64) row_fields_.push_back({field_line_, field_column_});
}

void FieldStream::consume_delimiter_after_text() {
  after_comma_ = false;
  if (pos_ >= bytes_.size()) return;
  if (bytes_[pos_] == ',') {
    ++pos_;
    after_comma_ = true;
  } else if (is_line_end(bytes_[pos_])) {
    consume_line_end();
  }
}

void FieldStream::consume_delimiter_after_number() {
  while (pos_ < bytes_.size() && is_blank(bytes_[pos_])) ++pos_;
  // Anything else than a comma or a line end begins the next field (numbers apart by blanks).
  consume_delimiter_after_text();
}

std::string FieldStream::read_quoted() {
  // A search that found no quote up to the end is not made again from a later place: a
  // tolerant reader that goes on after each unclosed quote stays linear.
  size_t close = std::string::npos;
  if (pos_ + 1 < no_quote_from_) {
    close = bytes_.find('"', pos_ + 1);
    if (close == std::string::npos) no_quote_from_ = pos_ + 1;
  }
  const auto across = [&] {
    if (quote_across_lines_ == 0 || line_ < quote_across_lines_) quote_across_lines_ = line_;
  };
  if (close == std::string::npos) {
    across();
    throw ReadFailure("a quoted field has no closing quote");
  }
  std::string inside = bytes_.substr(pos_ + 1, close - pos_ - 1);
  // Keep line numbers true across line ends inside the quotes.
  for (size_t k = pos_ + 1; k < close; ++k) {
    const char c = bytes_[k];
    if (c == '\n' || (c == '\r' && bytes_[k + 1] != '\n')) {
      across();
      ++line_;
      line_start_ = k + 1;
    }
  }
  pos_ = close + 1;
  return inside;
}

Field FieldStream::read_text() {
  if (!seek_field()) throw ReadFailure("a field was expected but the file ended");
  mark_field_start();
  Field f;
  f.line = field_line_;
  f.column = field_column_;
  if (pos_ < bytes_.size() && bytes_[pos_] == '"') {
    f.text = read_quoted();
    mark_field_end(pos_);
    // Whatever stands between the closing quote and the delimiter is not part of the field.
    while (pos_ < bytes_.size() && bytes_[pos_] != ',' && !is_line_end(bytes_[pos_])) ++pos_;
  } else {
    const size_t start = pos_;
    while (pos_ < bytes_.size() && bytes_[pos_] != ',' && !is_line_end(bytes_[pos_])) ++pos_;
    size_t end = pos_;
    while (end > start && is_blank(bytes_[end - 1])) --end;
    f.text.assign(bytes_, start, end - start);
    mark_field_end(end);
  }
  consume_delimiter_after_text();
  return f;
}

int32_t FieldStream::read_number() {
  if (!seek_field()) throw ReadFailure("a number was expected but the file ended");
  mark_field_start();
  std::string quoted;
  std::string_view token;
  if (pos_ < bytes_.size() && bytes_[pos_] == '"') {
    // Quoted as a text field may be: the number is what the quotes hold, blanks around it
    // trimmed as for an unquoted field.
    quoted = read_quoted();
    mark_field_end(pos_);
    token = quoted;
    while (!token.empty() && is_blank(token.front())) token.remove_prefix(1);
    while (!token.empty() && is_blank(token.back())) token.remove_suffix(1);
    // A number ends at a blank, a comma or a line end; anything glued to the closing quote
    // makes the field no number.
    if (pos_ < bytes_.size() && bytes_[pos_] != ',' && !is_blank(bytes_[pos_]) &&
        !is_line_end(bytes_[pos_])) {
      throw ReadFailure(shown('"' + quoted + '"' + bytes_[pos_]) + " is not a whole number");
    }
  } else {
    const size_t start = pos_;
    while (pos_ < bytes_.size() && bytes_[pos_] != ',' && !is_blank(bytes_[pos_]) &&
           !is_line_end(bytes_[pos_])) {
      ++pos_;
    }
    token = std::string_view(bytes_.data() + start, pos_ - start);
    mark_field_end(pos_);
  }
  consume_delimiter_after_number();
  if (token.empty()) return 0;
  size_t i = 0;
  bool negative = false;
  if (token[0] == '+' || token[0] == '-') {
    negative = token[0] == '-';
    i = 1;
  }
  if (i == token.size()) throw ReadFailure(shown(token) + " is not a whole number");
  int64_t value = 0;
  for (; i < token.size(); ++i) {
    const char c = token[i];
    if (c < '0' || c > '9') {
      throw ReadFailure(shown(token) + " is not a whole number");
    }
    value = value * 10 + (c - '0');
    if (value > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) {
      throw ReadFailure(shown(token) + " does not fit 32 bits");
    }
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min()) {
    throw ReadFailure(shown(token) + " does not fit 32 bits");
  }
  return static_cast<int32_t>(value);
}

void FieldStream::resume_after_failure(bool at_its_line) {
  line_ = field_line_;
  pos_ = field_line_start_;
  line_start_ = field_line_start_;
  after_comma_ = false;
  if (at_its_line) return;
  while (pos_ < bytes_.size() && !is_line_end(bytes_[pos_])) ++pos_;
  if (pos_ < bytes_.size()) consume_line_end();
}

std::string_view source_line(std::string_view text, int32_t line) {
  size_t pos = 0;
  for (int32_t l = 1; l < line && pos < text.size(); ++l) {
    while (pos < text.size() && !is_line_end(text[pos])) ++pos;
    if (pos < text.size()) {
      if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
      ++pos;
    }
  }
  if (line < 1 || pos >= text.size()) return {};
  size_t end = pos;
  while (end < text.size() && !is_line_end(text[end])) ++end;
  return text.substr(pos, end - pos);
}

}  // namespace scenario

// Fuzz target: the field stream, read field by field in an order the input itself chooses.
//
// Input: one byte n, then n bytes that pick the reads (odd: a number, even: a text), then the
// source text. Reading stops at the first failure, as the readers do. Besides the sanitizers,
// it checks the stream's own promises: at_end() tells truly whether a field remains, every
// read moves on, places only grow, and an unquoted text field never holds a delimiter or
// ends in a blank.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "source/field_stream.h"
#include "source/read_failure.h"

namespace {

[[noreturn]] void broken(const char* what) {
  std::fprintf(stderr, "field stream broke its contract: %s\n", what);
  std::abort();
}

bool is_end_of_file_failure(const scenario::ReadFailure& e) {
  // The whole message: a field's own text, quoted in other failures, may say "file ended" too.
  const std::string_view what = e.what();
  return what == "a field was expected but the file ended" ||
         what == "a number was expected but the file ended";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t n_ops = std::min<size_t>(data[0], size - 1);
  const std::string_view ops(reinterpret_cast<const char*>(data) + 1, n_ops);
  const std::string text(reinterpret_cast<const char*>(data) + 1 + n_ops, size - 1 - n_ops);

  scenario::FieldStream in(text);
  // Each read consumes a byte or the pending empty field after a comma, so this bounds it.
  const size_t max_reads = 2 * text.size() + 2;
  int32_t last_line = 0;
  for (size_t i = 0;; ++i) {
    if (i > max_reads) broken("reads go on past the end of the text");
    const bool at_end = in.at_end();
    const bool number = !ops.empty() && (ops[i % ops.size()] & 1);
    try {
      if (number) {
        (void)in.read_number();
      } else {
        const scenario::Field f = in.read_text();
        if (f.line != in.line() || f.column != in.column()) broken("field place disagrees");
        const std::string_view source_line = in.line_text(f.line);
        const size_t at = static_cast<size_t>(f.column - 1);
        const bool quoted = at < source_line.size() && source_line[at] == '"';
        if (!quoted && f.text.find_first_of(",\r\n") != std::string::npos) {
          broken("an unquoted text field holds a delimiter");
        }
        if (!quoted && !f.text.empty() && (f.text.back() == ' ' || f.text.back() == '\t')) {
          broken("an unquoted text field keeps a trailing blank");
        }
      }
      if (at_end) broken("a read succeeded after at_end()");
    } catch (const scenario::ReadFailure& e) {
      if (at_end != is_end_of_file_failure(e)) broken("at_end() and the failure disagree");
      break;  // the readers never read on after a failure
    }
    if (in.line() < last_line) broken("the line number went back");
    if (in.line() < 1 || in.column() < 1) broken("a field place below 1");
    last_line = in.line();
    (void)in.line_text(in.line());
  }
  return 0;
}

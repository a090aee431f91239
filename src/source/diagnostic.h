// What the system reports about a source: one status code, errore number or warning, against the
// row that caused it, rendered once as text (here) and once as JSON (diagnostic_json.h) for every
// command that reports.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "source/row_origin.h"

namespace scenario {

// The one edit that mends a warning, for an editor's quick fix and `check --json`: the bytes of
// a range of the source (lines and columns from 1, one column per byte; the end one past the
// last byte replaced, on end_line) replaced by text, in the source's own Windows-1252.
struct Fix {
  std::string title;  // what the edit does, in a few words: "write 'pendenza'"
  int32_t line = 0;
  int32_t column = 0;
  int32_t end_line = 0;
  int32_t end_column = 0;
  std::string text;
};

struct Diagnostic {
  // A warning is no fault: the build is the same with it or without it.
  enum class Kind { kStatus, kErrore, kWarning };
  Kind kind = Kind::kStatus;
  int32_t code = 0;      // a StatusCode, an ErroreNumber for kErrore, a WarningCode for kWarning
  int32_t position = 0;  // metres along the route; meaningful only with has_position
  bool has_position = false;
  std::string file;            // source file name; empty when no row can be named
  int32_t line = 0;            // line of the blamed field, from 1; 0 when no row is known
  int32_t column = 0;          // column of the blamed field, from 1; 0 when unknown
  std::string text;            // that line of the source, without its line end
  int32_t row_first_line = 0;  // the lines the whole row spans; 0 when no row is known
  int32_t row_last_line = 0;
  std::string message;  // the code's message, with the reason of a reading failure
  // A warning that has exactly one way to mend it carries it; never a fault.
  std::optional<Fix> fix;
  // The other row that the message names as the cause (the row that placed what took a block,
  // the station a station too close follows); its file is empty when the message names none.
  RowOrigin culprit;

  bool clean() const { return kind == Kind::kStatus && code == 0; }
  bool warning() const { return kind == Kind::kWarning; }
  // The warning's short name; empty for a fault.
  std::string_view name() const;
};

// Builds the diagnostic of code against origin. reason is appended to the message (the cause of
// a reading failure, or what took a block); the row's text is taken from texts (source texts by
// file name) when given.
Diagnostic make_diagnostic(Diagnostic::Kind kind, int32_t code, int32_t position,
                           const RowOrigin& origin, const std::string& reason = "",
                           const std::map<std::string, std::string>* texts = nullptr);

// A warning of code at a field of the row whose text is row_text.
Diagnostic make_warning(int32_t code, const std::string& file, int32_t line, int32_t column,
                        std::string message, std::string_view row_text);

// "FILE:LINE:COL: status N at P m: message" (or "errore N: message", or "warning: message
// [NAME]"), each part where it applies, then the row (when its text is known) indented by four
// blanks and a caret under the blamed field. Every line ends with a line feed.
std::string diagnostic_text(const Diagnostic& d);

}  // namespace scenario

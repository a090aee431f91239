#include "source/diagnostic.h"

#include <algorithm>

#include "source/control_bytes.h"
#include "source/field_stream.h"
#include "source/status_codes.h"

namespace scenario {

Diagnostic make_diagnostic(Diagnostic::Kind kind, int32_t code, int32_t position,
                           const RowOrigin& origin, const std::string& reason,
                           const std::map<std::string, std::string>* texts) {
  const CodeInfo& info = code_info(code);
  Diagnostic d;
  d.kind = kind;
  d.code = code;
  d.position = position;
  d.has_position = info.has_position;
  d.message = info.message;
  if (code == kReadFailure && !reason.empty()) d.message += ": " + reason;
  if (origin.known()) {
    d.file = origin.file;
    d.line = origin.field_line > 0 ? origin.field_line : origin.line;
    d.column = origin.column;
    if (origin.line > 0) {
      d.row_first_line = origin.line;
      d.row_last_line = std::max({origin.line, origin.last_line, origin.field_line});
    }
    if (texts != nullptr && d.line > 0) {
      const auto it = texts->find(d.file);
      if (it != texts->end()) d.text = std::string(source_line(it->second, d.line));
    }
  }
  return d;
}

std::string diagnostic_text(const Diagnostic& d) {
  std::string out;
  if (!d.file.empty()) {
    out += d.file;
    if (d.line > 0) out += ":" + std::to_string(d.line);
    if (d.line > 0 && d.column > 0) out += ":" + std::to_string(d.column);
    out += ": ";
  }
  out += (d.kind == Diagnostic::Kind::kErrore ? "errore " : "status ") + std::to_string(d.code);
  if (d.has_position) out += " at " + std::to_string(d.position) + " m";
  out += ": " + d.message + "\n";
  // The row only when its text is known: a field always stands on a line that holds text.
  if (d.line > 0 && !d.text.empty()) {
    // Control bytes are shown as \xNN, as in the message, and the caret's padding takes the
    // width of what is shown. Tabs stay tabs, in the caret's line too, so that it lines up in a
    // terminal.
    std::string row, pad;
    for (size_t i = 0; i < d.text.size(); ++i) {
      const char c = d.text[i];
      const size_t before = row.size();
      if (c == '\t') {
        row += c;
      } else {
        append_shown_byte(row, c);
      }
      if (static_cast<int64_t>(i) + 1 < d.column) {
        pad += c == '\t' ? std::string(1, '\t') : std::string(row.size() - before, ' ');
      }
    }
    out += "    " + row + "\n";
    if (d.column > 0) out += "    " + pad + "^\n";
  }
  return out;
}

}  // namespace scenario

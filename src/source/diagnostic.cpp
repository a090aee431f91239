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
  // "... already taken by the signal at ...": a holder reads on; any other reason follows a colon.
  if (!reason.empty()) d.message += (reason.rfind("by ", 0) == 0 ? " " : ": ") + reason;
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

std::string_view Diagnostic::name() const {
  if (kind != Kind::kWarning) return {};
  const WarningInfo* w = warning_info(code);
  return w != nullptr ? w->name : std::string_view{};
}

Diagnostic make_warning(int32_t code, const std::string& file, int32_t line, int32_t column,
                        std::string message, std::string_view row_text) {
  Diagnostic d;
  d.kind = Diagnostic::Kind::kWarning;
  d.code = code;
  d.file = file;
  d.line = line;
  d.column = column;
  d.row_first_line = line;
  d.row_last_line = line;
  d.text = std::string(row_text);
  d.message = std::move(message);
  return d;
}

std::string diagnostic_text(const Diagnostic& d) {
  std::string out;
  // A message may quote a source's text, and a file name may hold any byte: neither may send
  // terminal controls.
  if (!d.file.empty()) {
    out += shown_text(d.file);
    if (d.line > 0) out += ":" + std::to_string(d.line);
    if (d.line > 0 && d.column > 0) out += ":" + std::to_string(d.column);
    out += ": ";
  }
  if (d.warning()) {
    out += "warning: " + shown_text(d.message) + " [" + std::string(d.name()) + "]\n";
  } else {
    out += (d.kind == Diagnostic::Kind::kErrore ? "errore " : "status ") + std::to_string(d.code);
    if (d.has_position) out += " at " + std::to_string(d.position) + " m";
    out += ": " + shown_text(d.message) + "\n";
  }
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

#include "source/diagnostic.h"

#include <algorithm>

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
  if (!d.file.empty()) {
    out += d.file;
    if (d.line > 0) out += ":" + std::to_string(d.line);
    if (d.line > 0 && d.column > 0) out += ":" + std::to_string(d.column);
    out += ": ";
  }
  if (d.warning()) {
    out += "warning: " + d.message + " [" + std::string(d.name()) + "]\n";
  } else {
    out += (d.kind == Diagnostic::Kind::kErrore ? "errore " : "status ") + std::to_string(d.code);
    if (d.has_position) out += " at " + std::to_string(d.position) + " m";
    out += ": " + d.message + "\n";
  }
  // The row only when its text is known: a field always stands on a line that holds text.
  if (d.line > 0 && !d.text.empty()) {
    out += "    " + d.text + "\n";
    if (d.column > 0) {
      // Tabs stay tabs so that the caret lines up under the field in a terminal.
      std::string pad;
      for (int32_t i = 0; i + 1 < d.column && static_cast<size_t>(i) < d.text.size(); ++i) {
        pad += d.text[static_cast<size_t>(i)] == '\t' ? '\t' : ' ';
      }
      out += "    " + pad + "^\n";
    }
  }
  return out;
}

}  // namespace scenario

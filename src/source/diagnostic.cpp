#include "source/diagnostic.h"

#include <algorithm>

#include "format/cp1252.h"
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
  if (d.line > 0) {
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

nlohmann::ordered_json diagnostic_json(const Diagnostic& d) {
  const auto number_or_null = [](bool has, int32_t v) {
    return has ? nlohmann::ordered_json(v) : nlohmann::ordered_json(nullptr);
  };
  const bool errore = d.kind == Diagnostic::Kind::kErrore;
  nlohmann::ordered_json j;
  j["file"] = d.file.empty() ? nlohmann::ordered_json(nullptr)
                             : nlohmann::ordered_json(cp1252_to_utf8(d.file));
  j["line"] = number_or_null(d.line > 0, d.line);
  j["column"] = number_or_null(d.column > 0, d.column);
  j["status"] = number_or_null(!errore, d.code);
  j["errore"] = number_or_null(errore, d.code);
  j["position"] = number_or_null(d.has_position, d.position);
  j["message"] = cp1252_to_utf8(d.message);
  j["text"] = cp1252_to_utf8(d.text);
  return j;
}

}  // namespace scenario

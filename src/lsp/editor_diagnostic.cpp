#include "lsp/editor_diagnostic.h"

#include <algorithm>

#include "format/cp1252.h"
#include "lsp/text_positions.h"
#include "source/field_stream.h"
#include "source/read_failure.h"

namespace scenario::lsp {
namespace {

// Column one past the field that begins at column (from 1) on a UTF-8 line, counted in
// characters, as the field stream cuts it: a number ends at a blank, a text at the next comma or
// the line end (trailing blanks not counted), a quoted field at its closing quote.
int32_t field_end_column(std::string_view line, int32_t column) {
  // One byte per character, as the readers count columns.
  const std::string bytes = utf8_to_cp1252(line);
  if (column < 1 || static_cast<size_t>(column) > bytes.size()) return column;
  FieldStream in(bytes.substr(static_cast<size_t>(column - 1)));
  const char c = bytes[static_cast<size_t>(column - 1)];
  try {
    if (c == '+' || c == '-' || (c >= '0' && c <= '9')) {
      in.read_number();
    } else {
      in.read_text();
    }
  } catch (const ReadFailure&) {
    // A field the reader refuses still has an end: where the stream stopped.
  }
  return column - 1 + in.end_column();
}

}  // namespace

EditorDiagnostic from_fault(const Diagnostic& d) {
  EditorDiagnostic e;
  e.file = d.file;
  e.line = d.line;
  e.column = d.column;
  const bool errore = d.kind == Diagnostic::Kind::kErrore;
  e.code = (errore ? "errore " : "status ") + std::to_string(d.code);
  e.message = e.code;
  if (d.has_position) e.message += " at " + std::to_string(d.position) + " m";
  e.message += ": " + d.message;
  e.culprit = d.culprit;
  return e;
}

EditorDiagnostic from_warning(const Diagnostic& d) {
  EditorDiagnostic e;
  e.file = d.file;
  e.line = d.line;
  e.column = d.column;
  e.severity = Severity::kWarning;
  e.code = std::string(d.name());
  e.message = d.message;
  e.fix = d.fix;
  return e;
}

std::vector<EditorDiagnostic> faults_of(const CompileOutcome& outcome) {
  std::vector<EditorDiagnostic> out;
  if (!outcome.read_status.clean()) out.push_back(from_fault(outcome.read_status));
  for (const Diagnostic& d : outcome.compiler_faults) out.push_back(from_fault(d));
  if (outcome.errore) out.push_back(from_fault(*outcome.errore));
  return out;
}

Json row_location(const std::string& uri, std::string_view text, int32_t line, int32_t column) {
  const int32_t l = std::max(line, 1) - 1;
  Position start{l, 0}, end{l, 0};
  if (text.empty()) {
    start.character = std::max(column, 1) - 1;
    end.character = start.character;
  } else {
    const std::string_view row = utf8_line(text, l);
    start.character = character_of_column(row, std::max(column, 1));
    end.character = character_of_column(row, static_cast<int32_t>(row.size()) + 1);
  }
  return {{"uri", uri},
          {"range",
           {{"start", {{"line", start.line}, {"character", start.character}}},
            {"end", {{"line", end.line}, {"character", end.character}}}}}};
}

Json lsp_diagnostic(const EditorDiagnostic& d, std::string_view text, bool of_this_document) {
  Position start, end;
  std::string message = d.message;
  if (of_this_document && d.line > 0) {
    const std::string_view line = utf8_line(text, d.line - 1);
    start.line = end.line = d.line - 1;
    if (d.column > 0) {
      start.character = character_of_column(line, d.column);
      end.character = character_of_column(line, field_end_column(line, d.column));
    } else {
      end.character = character_of_column(line, static_cast<int32_t>(line.size()) + 1);
    }
    if (end.character <= start.character) end.character = start.character + 1;
  } else if (!d.file.empty()) {
    // The place in the other file, as a terminal would show it.
    std::string where = d.file;
    if (d.line > 0) where += ":" + std::to_string(d.line);
    if (d.line > 0 && d.column > 0) where += ":" + std::to_string(d.column);
    message = where + ": " + message;
    end.character = character_of_column(utf8_line(text, 0), 1 << 20);
  }
  return {{"range",
           {{"start", {{"line", start.line}, {"character", start.character}}},
            {"end", {{"line", end.line}, {"character", end.character}}}}},
          {"severity", static_cast<int>(d.severity)},
          {"code", d.code},
          {"source", "scenario"},
          {"message", cp1252_to_utf8(message)}};
}

Json quick_fix(const EditorDiagnostic& d, std::string_view text, const std::string& uri,
               const Json& diagnostic) {
  if (!d.fix) return nullptr;
  const Fix& f = *d.fix;
  const auto place = [&](int32_t line, int32_t column) {
    const std::string_view l = utf8_line(text, line - 1);
    return Json{{"line", line - 1}, {"character", character_of_column(l, column)}};
  };
  Json edit = {
      {"range", {{"start", place(f.line, f.column)}, {"end", place(f.end_line, f.end_column)}}},
      {"newText", cp1252_to_utf8(f.text)}};
  return {{"title", cp1252_to_utf8(f.title)},
          {"kind", "quickfix"},
          {"diagnostics", Json::array({diagnostic})},
          {"isPreferred", true},
          {"edit", {{"changes", {{uri, Json::array({std::move(edit)})}}}}}};
}

}  // namespace scenario::lsp

// What the editor shows against a source: faults of the compile now, warnings beside them, each
// with a severity and a short name, turned into the protocol's diagnostics.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile.h"
#include "lsp/protocol.h"

namespace scenario::lsp {

enum class Severity { kError = 1, kWarning = 2, kInformation = 3, kHint = 4 };

struct EditorDiagnostic {
  std::string file;    // source file name; empty when no file is concerned
  int32_t line = 0;    // from 1; 0 when no row is known
  int32_t column = 0;  // from 1; 0 for the whole line
  Severity severity = Severity::kError;
  std::string code;        // short name: "status 9", "errore 1250", or a warning's name
  std::string message;     // Windows-1252, as the readers word it
  std::optional<Fix> fix;  // a warning's one edit that mends it
  // The row the message names as the cause (what took a block), in the scenario's folder;
  // its file empty when none.
  RowOrigin culprit;
};

// A fault of the compile, as an error.
EditorDiagnostic from_fault(const Diagnostic& d);
// A warning of the sources, under its short name.
EditorDiagnostic from_warning(const Diagnostic& d);
// Every fault of an outcome: the readers' status, the compiler's codes, an errore.
std::vector<EditorDiagnostic> faults_of(const CompileOutcome& outcome);

// The protocol's diagnostic of d in a document holding text (UTF-8). A diagnostic of another
// file, or of no row, stands on the first line with the file named in its message.
Json lsp_diagnostic(const EditorDiagnostic& d, std::string_view text, bool of_this_document);

// The protocol's code action of a diagnostic's fix in a document holding text (UTF-8) at uri:
// a quick fix whose edit replaces the fix's range; null when d has no fix. diagnostic is the
// protocol's form of d, which the action names.
Json quick_fix(const EditorDiagnostic& d, std::string_view text, const std::string& uri,
               const Json& diagnostic);

// The protocol's location of a row: its line, from the given column (from 1; 0 for the line's
// start) to the end of the line, in a document holding text (UTF-8; empty when not open, and
// the columns are then taken as characters).
Json row_location(const std::string& uri, std::string_view text, int32_t line, int32_t column);

}  // namespace scenario::lsp

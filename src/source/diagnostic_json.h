// The JSON form of a diagnostic, apart so that only the reports that print JSON pull it in.
#pragma once

#include <nlohmann/json.hpp>

#include "source/diagnostic.h"

namespace scenario {

// {"file", "line", "column", "status", "errore", "position", "message", "text", "severity",
// "name"}: null where a part does not apply; a fault has a number in status or errore and
// severity "error", a warning neither, severity "warning" and its short name; "no fault" has
// no severity. A warning with a quick fix adds "fix": {"title", "line", "column", "end_line",
// "end_column", "text"}, the range in the source's lines and byte columns. Source bytes above
// ASCII are taken as Windows-1252.
nlohmann::ordered_json diagnostic_json(const Diagnostic& d);

}  // namespace scenario

// The built-in scenario's rows, one function per emitted document.
// Rows are written here in UTF-8 and converted to Windows-1252 once, when emitted.
#pragma once

#include <span>
#include <string_view>

namespace scenario::content {

// The line source (Lindeva_Querno_linea.txt): 289 rows.
std::span<const std::string_view> linea_rows();
// The train source (Lindeva_Querno_40716-.txt): 82 rows.
std::span<const std::string_view> treno_rows();
// The timetable sheet: 85 rows.
std::span<const std::string_view> scheda_rows();
// The slowdown order: 32 rows.
std::span<const std::string_view> rallentamenti_rows();
// The notes: 370 rows.
std::span<const std::string_view> note_rows();

}  // namespace scenario::content

// Conversion of the scenario's UTF-8 content to the single-byte Windows-1252 texts of the files.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

// Converts UTF-8 text to Windows-1252. Characters that the code page cannot hold become '?'.
std::string utf8_to_cp1252(std::string_view utf8);

}  // namespace scenario

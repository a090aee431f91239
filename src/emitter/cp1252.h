// Conversion of the scenario's UTF-8 content to the single-byte Windows-1252 texts of the files.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

// The code point of a Windows-1252 byte; U+FFFD for the five bytes the code page leaves undefined.
char32_t cp1252_code_point(unsigned char byte);

// Converts UTF-8 text to Windows-1252. Characters that the code page cannot hold become '?'.
std::string utf8_to_cp1252(std::string_view utf8);

}  // namespace scenario

// The single-byte Windows-1252 texts of the files, to and from UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

// The code point of a Windows-1252 byte; U+FFFD for the five bytes the code page leaves undefined.
char32_t cp1252_code_point(unsigned char byte);

// Converts UTF-8 text to Windows-1252. Characters that the code page cannot hold become '?'.
std::string utf8_to_cp1252(std::string_view utf8);

// Appends a code point below U+10000 as UTF-8.
void append_utf8(std::string& out, char32_t cp);

// Converts Windows-1252 bytes to UTF-8, every byte to its code point (the five undefined ones
// to U+FFFD), control characters included.
std::string cp1252_to_utf8(std::string_view cp1252);

}  // namespace scenario

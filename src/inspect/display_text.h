// Showing the Windows-1252 texts of the compiled files on a UTF-8 terminal or in an SVG.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

// Converts Windows-1252 bytes to UTF-8. Control characters and the five undefined bytes become
// U+FFFD, so the result is always safe to print and to put into XML.
std::string display_text(std::string_view cp1252);

}  // namespace scenario

// OSM's UTF-8 names as the sources' Windows-1252 text, converted once at the edge.
#pragma once

#include <string>
#include <string_view>

namespace scenario::import {

// The name in Windows-1252. A letter the code page lacks is written as its base letter
// ("Ł" as "L", "ș" as "s"), and transliterated is set; a character with no base letter
// becomes "?".
std::string name_to_cp1252(std::string_view utf8, bool& transliterated);

// The Windows-1252 text in capitals, as the built-in names are (accented letters too).
std::string upper_cp1252(std::string_view cp1252);

}  // namespace scenario::import

// JSON text for the views' --json listings, written as they go: the curve file alone holds two
// million cells, which a document tree would hold twice.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

// Quotes text as a JSON string; bytes above 0x7F are taken as Windows-1252 and escaped.
std::string json_string(std::string_view text);

// Shortest text that reads back to the same double; non-finite values, which JSON cannot hold,
// go out as their bit pattern in a string.
std::string json_double(double v);

// json_string maps the five bytes that Windows-1252 leaves undefined to U+FFFD; a text that
// holds one also goes out as hex (text_hex) so that the JSON still carries every byte.
bool text_needs_hex(std::string_view text);
std::string hex_bytes(std::string_view text);

}  // namespace scenario

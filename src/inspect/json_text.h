// JSON for the views' --json listings. Values go through nlohmann::ordered_json; the curve file's
// two million cells are streamed after the rest of the object, since a tree would hold them twice.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>

namespace scenario {

using JsonObject = nlohmann::ordered_json;

// A Windows-1252 text as a JSON string.
JsonObject json_text(std::string_view cp1252);

// A double as a JSON number; non-finite values, which JSON cannot hold, go out as their bit
// pattern in a string. For values read from a file, which go out exactly.
JsonObject json_number(double v);

// A computed value at the precision it is computed to: the double nearest v rounded to `places`
// decimals, which the JSON writer (shortest form that reads back the same) prints as that
// decimal: 63.69, never 63.690000000000005. A value too large for the rounding to mean anything,
// or one not finite, is returned as it is.
double json_decimal(double v, int places);

// json_number of json_decimal(v, places).
JsonObject json_number(double v, int places);

// Writes `head` without its closing brace, so that a large member can follow as a stream; the
// caller writes `,"name":` and the member, then the brace.
void write_open_object(const JsonObject& head, std::ostream& out);

// json_text maps the five bytes that Windows-1252 leaves undefined to U+FFFD; a text that holds
// one also goes out as hex (text_hex) so that the JSON still carries every byte.
bool text_needs_hex(std::string_view text);
std::string hex_bytes(std::string_view text);

}  // namespace scenario

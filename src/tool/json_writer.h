// A small JSON text builder for the tool's --json outputs.
#pragma once

#include <string>
#include <string_view>

namespace scenario::tool {

// Quotes text as a JSON string; bytes above 0x7F are taken as Windows-1252 and escaped.
std::string json_string(std::string_view text);

}  // namespace scenario::tool

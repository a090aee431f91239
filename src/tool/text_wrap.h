// Filling words into the tool's 92-column lines, for --help and explain.
#pragma once

#include <string>
#include <string_view>

namespace scenario::tool {

inline constexpr size_t kTextWidth = 92;

// Words of text filled into lines of at most kTextWidth, each after `indent`; the first line
// after `first` instead, which may be longer than indent. Ends with a line end.
std::string wrap(std::string_view text, const std::string& first, const std::string& indent);

}  // namespace scenario::tool

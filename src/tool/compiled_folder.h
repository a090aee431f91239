// Telling an author who points a reader of compiled files at sources what to do instead.
#pragma once

#include <optional>
#include <string>

namespace scenario::tool {

// When dir holds a line or train source but no compiled file, the line that says to compile
// it first; otherwise none.
std::optional<std::string> sources_not_compiled(const std::string& dir);

}  // namespace scenario::tool

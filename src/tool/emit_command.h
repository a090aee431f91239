// scenario-tool emit: writes the built-in scenario's text files, a starting point for authors.
#pragma once

#include <string>
#include <vector>

namespace scenario::tool {

int emit_command(const std::vector<std::string>& args);

}  // namespace scenario::tool

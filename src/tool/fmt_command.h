// scenario-tool fmt: rewrites sources into the emitter's column forms, or tells which would change.
#pragma once

#include <string>
#include <vector>

namespace scenario::tool {

int fmt_command(const std::vector<std::string>& args);

}  // namespace scenario::tool

// scenario-tool lsp: the language server for an editor, over standard input and output.
#pragma once

#include <string>
#include <vector>

namespace scenario::tool {

int lsp_command(const std::vector<std::string>& args);

}  // namespace scenario::tool

// scenario-tool lsp: the language server for an editor, over standard input and output.
#pragma once

#include <string>
#include <vector>

#include "tool/command_line.h"

namespace scenario::tool {

// The command's options.
CommandLine lsp_command_line();
int lsp_command(const std::vector<std::string>& args);

}  // namespace scenario::tool

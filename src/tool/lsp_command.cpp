#include "tool/lsp_command.h"

#include <unistd.h>

#include <iostream>

#include "lsp/server.h"
#include "lsp/stdio_streams.h"

namespace scenario::tool {

int lsp_command(const std::vector<std::string>& args) {
  // Editors start servers with --stdio; standard input and output is the only transport.
  for (const std::string& a : args) {
    if (a != "--stdio") {
      std::cerr << "scenario-tool lsp: unknown option '" << a
                << "'\nusage: scenario-tool lsp [--stdio]" << std::endl;
      return 2;
    }
  }
  lsp::FdSource in(STDIN_FILENO);
  lsp::FdSink out(STDOUT_FILENO);
  return lsp::run_server(in, out);
}

}  // namespace scenario::tool

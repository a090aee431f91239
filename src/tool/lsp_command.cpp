#include "tool/lsp_command.h"

#include <iostream>

#include "format/standard_io.h"
#include "lsp/server.h"
#include "lsp/stdio_streams.h"

namespace scenario::tool {

CommandLine lsp_command_line() {
  CommandLine c("lsp", "a language server for editors, over standard input and output");
  // Editors start servers with --stdio; standard input and output is the only transport.
  c.flag("--stdio", "the transport (the only one)");
  return c;
}

int lsp_command(const std::vector<std::string>& args) {
  CommandLine c = lsp_command_line();
  if (const auto done = c.parse(args, std::cout, std::cerr)) return *done;
  // The frames are counted in bytes: no line end may be translated on the way.
  binary_standard_streams();
  lsp::StdinSource in;
  lsp::StdoutSink out;
  return lsp::run_server(in, out);
}

}  // namespace scenario::tool

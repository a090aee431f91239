// scenario-tool: the authors' command-line tool.
#include <string>
#include <vector>

#include "format/command_arguments.h"
#include "format/console_output.h"
#include "format/signal_cleanup.h"
#include "format/write_signals.h"
#include "tool/tool.h"

int main(int argc, char** argv) {
  scenario::route_standard_streams();
  scenario::ignore_write_signals();
  scenario::install_interrupt_cleanup();
  std::vector<std::string> args = scenario::command_arguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& a : args) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  return scenario::tool::run(static_cast<int>(args.size()), pointers.data());
}

// scenario-tool: the authors' command-line tool.
#include "driver/write_signals.h"
#include "format/signal_cleanup.h"
#include "tool/tool.h"

int main(int argc, char** argv) {
  scenario::ignore_write_signals();
  scenario::install_interrupt_cleanup();
  return scenario::tool::run(argc, argv);
}

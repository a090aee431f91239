// scenario-tool: the authors' command-line tool.
#include "driver/write_signals.h"
#include "tool/tool.h"

int main(int argc, char** argv) {
  scenario::ignore_write_signals();
  return scenario::tool::run(argc, argv);
}

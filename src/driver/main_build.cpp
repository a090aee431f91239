// scenario-build: builds the one built-in scenario in the program's own directory.
#include <unistd.h>

#include "driver/console.h"
#include "driver/driver.h"
#include "driver/write_signals.h"
#include "format/signal_cleanup.h"

int main(int argc, char**) {
  // The build takes no arguments: one given by mistake (--help, say) must not overwrite the
  // files of the program's directory.
  if (argc > 1) {
    scenario::write_console(STDERR_FILENO,
                            "usage: scenario-build (no arguments; builds the built-in scenario "
                            "in the program's own directory)\n");
    return 2;
  }
  scenario::ignore_write_signals();
  scenario::install_interrupt_cleanup();
  return scenario::run_scenario_build();
}

// scenario-build: builds the one built-in scenario in the program's own directory.
#include "driver/driver.h"
#include "format/console_output.h"
#include "format/signal_cleanup.h"
#include "format/write_signals.h"

int main(int argc, char**) {
  // The build takes no arguments: one given by mistake (--help, say) must not overwrite the
  // files of the program's directory.
  if (argc > 1) {
    scenario::write_console(scenario::kStandardError,
                            "usage: scenario-build (no arguments; builds the built-in scenario "
                            "in the program's own directory)\n");
    return 2;
  }
  scenario::ignore_write_signals();
  scenario::install_interrupt_cleanup();
  return scenario::run_scenario_build();
}

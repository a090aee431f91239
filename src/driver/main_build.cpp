// scenario-build: builds the one built-in scenario in the program's own directory.
#include "driver/driver.h"
#include "driver/write_signals.h"

int main() {
  scenario::ignore_write_signals();
  return scenario::run_scenario_build();
}

// scenario-build: builds the one built-in scenario in the program's own directory.
#include "driver/driver.h"

int main() { return scenario::run_scenario_build(); }

// Test helper: the built-in scenario, emitted and compiled once per test run, for the tests
// that read compiled files.
#pragma once

#include <string>

#include "model/build_state.h"

namespace scenario::testing {

struct BuiltinCompiled {
  std::string dir;  // holds the sources and the three compiled files
  std::string general_file;
  std::string track_file;
  std::string curve_file;
  const BuildState* state;  // what the compile held in memory when it wrote the files
};

// Compiles on first use; fails the calling test when the compile reports a fault.
const BuiltinCompiled& builtin_compiled();

}  // namespace scenario::testing

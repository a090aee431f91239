// Compiling two source texts without touching a file, through the one compile: what decompile
// checks its sources with.
#pragma once

#include <memory>
#include <string>

#include "compiler/compile.h"
#include "model/build_state.h"
#include "model/identity.h"
#include "source/diagnostic.h"

namespace scenario::decompile {

// The three compiled images, byte for byte as compile would write them.
struct CompiledImages {
  std::string curve;    // NAME_linea.dat
  std::string general;  // NAME_TRAIN.sim
  std::string track;    // NAME_TRAIN.dat
};

// The state after the readers alone: the track before the compiler's points and stamps.
struct ReadOutcome {
  std::unique_ptr<BuildState> state;
  Diagnostic status;
};
ReadOutcome read_in_memory(const Identity& id, const std::string& line_text,
                           const std::string& train_text);

// The whole compile of two texts, with the build flag set.
struct InMemoryCompile {
  std::unique_ptr<BuildState> state;
  CompileOutcome outcome;
  // True when compile would write the three files.
  bool written() const { return !outcome.outputs.empty(); }
};
InMemoryCompile compile_in_memory(const Identity& id, const std::string& line_text,
                                  const std::string& train_text);

// The three images of a compiled state.
CompiledImages images_of(const BuildState& state);

}  // namespace scenario::decompile

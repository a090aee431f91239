// The one compile of a scenario, the route compiler: reset, read both sources, place the code-cut
// points, check and stamp the reserved fields. Every entry point (the one-scenario build, the
// tool's compile and check, the fuzzers and the benchmarks) compiles through it, and only the entry
// points print.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/output_files.h"
#include "model/build_state.h"
#include "source/diagnostic.h"
#include "source/source_store.h"

namespace scenario {

struct CompileOutcome {
  // The build's ReadStatus at the end against the row concerned: the last code of the
  // post-processing, else what the readers left. Code 0 when clean.
  Diagnostic status;
  // What the readers left, before the post-processing.
  Diagnostic read_status;
  // Every code the post-processing recorded, in order (status holds only the last).
  std::vector<Diagnostic> compiler_faults;
  // A reserved field already in use (1250 or 1251), against the row that put an item on
  // block 1 when one did: the build ends and nothing is to be written.
  std::optional<Diagnostic> errore;
  // The compiled files to write, in order: "_linea.dat" (with the build flag), ".sim", ".dat".
  // Empty when no route length sized the track, or after an errore.
  std::vector<std::string> outputs;

  bool clean() const { return status.clean() && !errore; }
};

// Compiles the sources of the state's identity from sources, with build flag j (the curve table
// and "_linea.dat" only when it is not 0). The state holds the compiled structures afterwards;
// nothing is written but what the store does with the sources.
CompileOutcome compile(BuildState& state, SourceStore& sources, int32_t build_flag = 1);

// Writes the outcome's compiled files from the state into directory, each replaced whole (or
// kept, as `unchanged` says), and returns their names. Throws FileError naming the file; a file
// that failed keeps its earlier content.
std::vector<std::string> write_outputs(const BuildState& state, const CompileOutcome& outcome,
                                       const std::string& directory,
                                       WhenUnchanged unchanged = WhenUnchanged::kRewrite);

}  // namespace scenario

// The compiled files of a build, written as images of the build state's structures.
#pragma once

#include <string>
#include <vector>

#include "model/build_state.h"

namespace scenario {

// What becomes of a compiled file that already holds exactly the new bytes: written afresh
// like every other, or left untouched, time stamp included.
enum class WhenUnchanged { kRewrite, kKeep };

// Writes the named compiled files (any of the state's "_linea.dat", ".sim" and ".dat") into
// directory in the order given, each replaced whole (or kept, as `unchanged` says). Returns the
// names written. Throws FileError naming the file; a file that failed keeps its earlier
// content. An identity whose file names collide is refused before anything is written.
std::vector<std::string> write_compiled_files(const BuildState& state,
                                              const std::vector<std::string>& names,
                                              const std::string& directory,
                                              WhenUnchanged unchanged = WhenUnchanged::kRewrite);

}  // namespace scenario

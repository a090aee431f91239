// The three compiled files of a build, written as images of the build state's structures.
#pragma once

#include <string>
#include <vector>

#include "model/build_state.h"

namespace scenario {

// Writes "_linea.dat" (only when the build flag is set), ".sim" and ".dat" into
// state.directory, in that order, each replaced whole. Returns the names written.
// Throws FileError naming the file; a file that failed keeps its earlier content.
std::vector<std::string> write_compiled_files(const BuildState& state);

}  // namespace scenario

// The compile step: read both sources, place the code-cut points, stamp, write the files.
#pragma once

#include <string>
#include <vector>

#include "model/build_state.h"

namespace scenario {

// What a compile left besides the build state.
struct CompileResult {
  std::vector<std::string> outputs;  // compiled file names written
  std::string failure_reason;        // why a code 25 was set, when known
};

// The smaller of x and y; on equality x.
int32_t minimo(int32_t x, int32_t y);

// Places the compiler's code-cut points on the track (warning points, slowdown starts, walks
// and the signal after a slowdown's end); records codes 11, 12 and 13.
void post_process_track(BuildState& state);

// Compiles with build flag j: resets status and table, reads the sources, post-processes,
// checks and stamps the reserved fields (errore 1250 / 1251) and writes the compiled files.
// When no route length sized the arrays, no compiled file is written.
CompileResult memorizza_percorso(BuildState& state, int32_t j);

}  // namespace scenario

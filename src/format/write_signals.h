// Process set-up shared by the executables.
#pragma once

namespace scenario {

// Makes a write that reaches the file size limit or a closed pipe fail with an error (EFBIG,
// EPIPE) instead of killing the process: the writers then report the file and the reason and
// remove their temporary file. (Windows has no such signals: a write there fails already.)
void ignore_write_signals();

}  // namespace scenario

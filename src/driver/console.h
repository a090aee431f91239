// The build's few lines to the terminal, written straight to the descriptor: the stream
// library's start-up (its locale and standard streams) took about a twentieth of a build.
#pragma once

#include <string_view>

namespace scenario {

// Writes text whole to fd (1 or 2), at once; a failed write is dropped, as a stream's would be.
void write_console(int fd, std::string_view text);

}  // namespace scenario

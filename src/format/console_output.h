// The build's few lines to the terminal, written straight to the descriptor: the stream
// library's start-up (its locale and standard streams) took about a twentieth of a build.
#pragma once

#include <string_view>

namespace scenario {

constexpr int kStandardOutput = 1;
constexpr int kStandardError = 2;

// Writes text (UTF-8, or ASCII) whole to fd (kStandardOutput or kStandardError), at once; a
// failed write is dropped, as a stream's would be. A Windows console is given the characters
// rather than the bytes, so that it shows them whatever its code page; a file or a pipe gets
// the bytes, the same on every system.
void write_console(int fd, std::string_view text);

// Sends std::cout and std::cerr through write_console where the system needs it (a Windows
// console), and leaves them alone elsewhere. Called once, first thing in main.
void route_standard_streams();

}  // namespace scenario

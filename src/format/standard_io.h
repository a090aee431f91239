// Standard input and output as byte streams, for the language server: its frames are counted
// in bytes, so no system may translate line ends on the way.
#pragma once

#include <cstddef>
#include <string_view>

namespace scenario {

// Puts standard input and output in binary mode where the system has another (Windows).
void binary_standard_streams();

// Reads up to size bytes of standard input, waiting for at least one; 0 at its end or on an
// error, which ends it as well.
size_t read_standard_input(char* data, size_t size);

// True when a read of standard input would not wait (bytes are there, or its end, or an error
// that the read will tell).
bool standard_input_ready();

// Writes data whole to standard output; false when it cannot.
bool write_standard_output(std::string_view data);

}  // namespace scenario

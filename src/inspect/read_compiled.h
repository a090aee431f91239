// Reading a whole compiled file for the decoders.
#pragma once

#include <string>

namespace scenario {

// The bytes of the compiled file at path. Throws FileError, whose text is "PATH: why".
std::string read_compiled_file(const std::string& path);

}  // namespace scenario

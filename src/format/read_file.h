// Reading a whole file: a compiled file for the decoders, a source for the formatter.
#pragma once

#include <string>

namespace scenario {

// The bytes of the file at path. Throws FileError, whose text is "PATH: why".
std::string read_whole_file(const std::string& path);

}  // namespace scenario

// Reading a whole compiled file for the decoders.
#pragma once

#include <string>

namespace scenario::tool {

// Reads the file into bytes; on failure returns false and says why in problem.
bool read_bytes(const std::string& path, std::string& bytes, std::string& problem);

}  // namespace scenario::tool

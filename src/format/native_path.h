// The program's paths (bytes on POSIX; UTF-8 on Windows, as the command line arrives there) as
// std::filesystem paths and back, so that a name beyond the code page reaches the system whole.
#pragma once

#include <filesystem>
#include <string>

namespace scenario {

std::filesystem::path native_path(const std::string& path);
std::string path_text(const std::filesystem::path& path);

}  // namespace scenario

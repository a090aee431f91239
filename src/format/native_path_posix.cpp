#include "format/native_path.h"

namespace scenario {

std::filesystem::path native_path(const std::string& path) { return std::filesystem::path(path); }

std::string path_text(const std::filesystem::path& path) { return path.string(); }

}  // namespace scenario

#include "format/native_path.h"
#include "format/windows_support.h"

namespace scenario {

std::filesystem::path native_path(const std::string& path) {
  return std::filesystem::path(windows::wide_path(path));
}

std::string path_text(const std::filesystem::path& path) { return windows::utf8(path.native()); }

}  // namespace scenario

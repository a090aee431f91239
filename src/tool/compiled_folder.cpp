#include "tool/compiled_folder.h"

#include <filesystem>

#include "format/file_names.h"

namespace scenario::tool {

std::optional<std::string> sources_not_compiled(const std::string& dir) {
  std::error_code ec;
  bool sources = false;
  for (const auto& f : std::filesystem::directory_iterator(dir, ec)) {
    switch (file_kind(f.path().filename().string())) {
      case FileKind::kCurve:
      case FileKind::kGeneral:
      case FileKind::kTrack:
        return std::nullopt;
      case FileKind::kLineSource:
      case FileKind::kTrainSource:
        sources = true;
        break;
      default:
        break;
    }
  }
  if (!sources) return std::nullopt;
  return dir + " holds sources but no compiled files; compile it first: scenario-tool compile " +
         dir;
}

}  // namespace scenario::tool

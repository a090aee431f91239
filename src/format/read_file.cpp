#include "format/read_file.h"

#include "format/marks.h"

namespace scenario {

uintmax_t compiled_file_limit(FileKind kind) {
  switch (kind) {
    case FileKind::kCurve:
      return kMaxCurveFileBytes;
    case FileKind::kGeneral:
      return kMaxGeneralFileBytes;
    case FileKind::kTrack:
      return kMaxTrackFileBytes;
    default:
      return std::numeric_limits<uintmax_t>::max();
  }
}

std::string read_compiled_file(const std::string& path, FileKind kind) {
  return read_whole_file(path, compiled_file_limit(kind));
}

}  // namespace scenario

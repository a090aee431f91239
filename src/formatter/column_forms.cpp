#include "formatter/column_forms.h"

#include "format/file_names.h"

namespace scenario {

std::optional<SourceKind> source_kind_of(std::string_view file_name) {
  switch (source_file_kind(file_name)) {
    case FileKind::kLineSource:
      return SourceKind::kLine;
    case FileKind::kTrainSource:
      return SourceKind::kTrain;
    default:
      return std::nullopt;
  }
}

}  // namespace scenario

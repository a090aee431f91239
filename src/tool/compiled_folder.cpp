#include "tool/compiled_folder.h"

#include <filesystem>

#include "format/file_names.h"
#include "format/native_path.h"
#include "tool/scenario_identity.h"

namespace scenario::tool {

std::optional<std::string> sources_not_compiled(const std::string& dir) {
  std::error_code ec;
  bool sources = false;
  for (const auto& f : std::filesystem::directory_iterator(native_path(dir), ec)) {
    switch (file_kind(path_text(f.path().filename()))) {
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

int find_compiled_identity(const CommandLine& c, const ScenarioOptions& o, Identity& id,
                           std::ostream& err) {
  if (auto why = sources_not_compiled(o.directory)) {
    err << "scenario-tool " << c.command() << ": " << *why << std::endl;
    return 1;
  }
  try {
    id = resolve_identity(o.directory, o.name, o.train, IdentityFrom::kCompiled);
  } catch (const UsageError& e) {
    return c.refuse(e.what(), err);
  }
  return 0;
}

}  // namespace scenario::tool

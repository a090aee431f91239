#include "tool/scenario_identity.h"

#include <filesystem>
#include <set>

#include "format/native_path.h"

namespace scenario::tool {
namespace {

// What ending marks the files of one name (line source or curve file), and of one train.
struct Endings {
  std::string_view name_file;
  const char* name_what;
  const char* name_files;
  const char* train_files;
};

// The train numbers of name among files: by the train source, or by a ".sim" with its ".dat".
std::set<std::string> trains_in(const std::set<std::string>& files, const std::string& name,
                                IdentityFrom from) {
  std::set<std::string> trains;
  const std::string prefix = name + "_";
  const std::string_view suffix =
      from == IdentityFrom::kSources ? kTrainSourceSuffix : kGeneralSuffix;
  for (const auto& f : files) {
    if (f.size() <= prefix.size() + suffix.size() || f.compare(0, prefix.size(), prefix) != 0 ||
        !ends_with(f, suffix)) {
      continue;
    }
    const std::string t = f.substr(prefix.size(), f.size() - prefix.size() - suffix.size());
    if (from == IdentityFrom::kCompiled && files.count(track_file_name({name, t})) == 0) continue;
    trains.insert(t);
  }
  return trains;
}

}  // namespace

Identity resolve_identity(const std::string& dir, const std::optional<std::string>& name,
                          const std::optional<std::string>& train, IdentityFrom from) {
  const bool sources = from == IdentityFrom::kSources;
  const Endings e = sources
                        ? Endings{kLineSourceSuffix, "line source", "line sources", "train sources"}
                        : Endings{kCurveSuffix, "curve file", "curve files", ".sim/.dat pairs"};
  std::error_code ec;
  if (!std::filesystem::is_directory(native_path(dir), ec))
    throw UsageError("'" + dir + "' is not a directory");
  std::set<std::string> files;
  for (const auto& f : std::filesystem::directory_iterator(native_path(dir), ec)) {
    files.insert(path_text(f.path().filename()));
  }
  Identity id;
  std::set<std::string> names;
  for (const auto& f : files) {
    if (ends_with(f, e.name_file)) names.insert(f.substr(0, f.size() - e.name_file.size()));
  }
  // What the folder holds in place of what it lacks: a misspelt name is then plain to see.
  const auto held = [&] {
    if (names.empty()) return std::string("; it holds no ") + e.name_what;
    std::string list;
    for (const auto& n : names) list += (list.empty() ? "" : ", ") + n + std::string(e.name_file);
    return "; it holds " + list;
  };
  if (name) {
    id.name = *name;
    // With the train given the build reads what there is and reports the missing file itself.
    if (!train && identity_problem("the scenario name", id.name) == std::nullopt &&
        files.count(id.name + std::string(e.name_file)) == 0) {
      throw UsageError(std::string("no ") + e.name_what + " " + id.name + std::string(e.name_file) +
                       " in " + dir + held());
    }
  } else {
    if (names.empty() && sources) {
      throw UsageError(dir +
                       " holds no sources: a scenario's line source is NAME_linea.txt and its "
                       "train source NAME_TRAIN-.txt");
    }
    if (names.size() != 1) {
      std::string found;
      for (const auto& n : names) found += " " + n + std::string(e.name_file);
      throw UsageError("cannot tell the scenario name: " + dir + " holds " +
                       std::to_string(names.size()) + " " + e.name_files +
                       (found.empty() ? "" : ":" + found) + "; give --name");
    }
    id.name = *names.begin();
  }
  if (auto p = identity_problem("the scenario name", id.name)) throw UsageError(*p);
  if (train) {
    id.train = *train;
  } else {
    const std::set<std::string> trains = trains_in(files, id.name, from);
    if (trains.size() != 1) {
      const std::string prefix = id.name + "_";
      std::string found;
      for (const auto& t : trains) {
        found += " " + prefix + t + (sources ? std::string(kTrainSourceSuffix) : ".sim/.dat");
      }
      throw UsageError("cannot tell the train number: " + dir + " holds " +
                       std::to_string(trains.size()) + " " + e.train_files + " of " + id.name +
                       (found.empty() ? "" : ":" + found) + "; give --train");
    }
    id.train = *trains.begin();
  }
  if (auto p = identity_check(id)) throw UsageError(*p);
  return id;
}

}  // namespace scenario::tool

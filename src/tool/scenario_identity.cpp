#include "tool/scenario_identity.h"

#include <filesystem>
#include <set>
#include <vector>

namespace scenario::tool {
namespace {

constexpr std::string_view kLineSuffix = "_linea.txt";
constexpr std::string_view kTrainSuffix = "-.txt";

bool ends_with(const std::string& s, std::string_view suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::optional<std::string> identity_problem(const std::string& what, const std::string& text) {
  if (text.empty()) return what + " is empty";
  if (text.find('/') != std::string::npos || text.find('\\') != std::string::npos ||
      text.find("..") != std::string::npos) {
    return what + " '" + text + "' holds a path separator or '..'";
  }
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return what + " holds a control character";
    // The compiled files and the codes take the identity one byte per character; a byte above
    // ASCII means another code page (UTF-8 here), which would store other bytes and codes.
    if (c >= 0x80) return what + " '" + text + "' holds a character outside ASCII";
  }
  return std::nullopt;
}

Identity resolve_identity(const std::string& srcdir, const std::optional<std::string>& name,
                          const std::optional<std::string>& train) {
  Identity id;
  std::error_code ec;
  if (!std::filesystem::is_directory(srcdir, ec)) {
    throw UsageError{"'" + srcdir + "' is not a directory"};
  }
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(srcdir, ec)) {
    files.push_back(e.path().filename().string());
  }
  if (name) {
    id.name = *name;
  } else {
    std::set<std::string> names;
    for (const auto& f : files) {
      if (ends_with(f, kLineSuffix)) names.insert(f.substr(0, f.size() - kLineSuffix.size()));
    }
    if (names.size() != 1) {
      std::string found;
      for (const auto& n : names) found += " " + n + std::string(kLineSuffix);
      throw UsageError{"cannot tell the scenario name: " + srcdir + " holds " +
                       std::to_string(names.size()) + " line sources" +
                       (found.empty() ? "" : ":" + found) + "; give --name"};
    }
    id.name = *names.begin();
  }
  if (auto p = identity_problem("the scenario name", id.name)) throw UsageError{*p};
  if (train) {
    id.train = *train;
  } else {
    std::set<std::string> trains;
    const std::string prefix = id.name + "_";
    for (const auto& f : files) {
      if (f.size() > prefix.size() + kTrainSuffix.size() &&
          f.compare(0, prefix.size(), prefix) == 0 && ends_with(f, kTrainSuffix)) {
        trains.insert(f.substr(prefix.size(), f.size() - prefix.size() - kTrainSuffix.size()));
      }
    }
    if (trains.size() != 1) {
      std::string found;
      for (const auto& t : trains) found += " " + prefix + t + std::string(kTrainSuffix);
      throw UsageError{"cannot tell the train number: " + srcdir + " holds " +
                       std::to_string(trains.size()) + " train sources of " + id.name +
                       (found.empty() ? "" : ":" + found) + "; give --train"};
    }
    id.train = *trains.begin();
  }
  if (auto p = identity_problem("the train number", id.train)) throw UsageError{*p};
  return id;
}

}  // namespace scenario::tool

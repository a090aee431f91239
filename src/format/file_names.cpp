#include "format/file_names.h"

namespace scenario {
namespace {

std::string train_file(const Identity& id, std::string_view suffix) {
  return id.name + "_" + id.train + std::string(suffix);
}

std::string folded(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return s;
}

}  // namespace

std::string line_source_name(const Identity& id) {
  return id.name + std::string(kLineSourceSuffix);
}
std::string train_source_name(const Identity& id) { return train_file(id, kTrainSourceSuffix); }
std::string scheda_name(const Identity& id) { return train_file(id, kSchedaSuffix); }
std::string rallentamenti_name(const Identity& id) { return train_file(id, kRallentamentiSuffix); }
std::string note_name(const Identity& id) { return train_file(id, kNoteSuffix); }
std::string curve_file_name(const Identity& id) { return id.name + std::string(kCurveSuffix); }
std::string general_file_name(const Identity& id) { return train_file(id, kGeneralSuffix); }
std::string track_file_name(const Identity& id) { return train_file(id, kTrackSuffix); }

std::vector<std::string> scenario_file_names(const Identity& id) {
  return {line_source_name(id),   train_source_name(id), scheda_name(id),
          rallentamenti_name(id), note_name(id),         curve_file_name(id),
          general_file_name(id),  track_file_name(id)};
}

bool ends_with(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

FileKind file_kind(std::string_view path) {
  if (ends_with(path, kCurveSuffix)) return FileKind::kCurve;
  if (ends_with(path, kTrackSuffix)) return FileKind::kTrack;
  if (ends_with(path, kGeneralSuffix)) return FileKind::kGeneral;
  if (ends_with(path, kLineSourceSuffix)) return FileKind::kLineSource;
  if (ends_with(path, kTrainSourceSuffix)) return FileKind::kTrainSource;
  return FileKind::kUnknown;
}

namespace {

std::string_view base_name(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

FileKind source_file_kind(std::string_view path) {
  const std::string_view name = base_name(path);
  if (name.size() > kLineSourceSuffix.size() && ends_with(name, kLineSourceSuffix)) {
    return FileKind::kLineSource;
  }
  if (name.size() > kTrainSourceSuffix.size() && ends_with(name, kTrainSourceSuffix)) {
    return FileKind::kTrainSource;
  }
  return FileKind::kUnknown;
}

std::optional<Identity> source_identity(std::string_view file_name) {
  const std::string_view name = base_name(file_name);
  switch (source_file_kind(name)) {
    case FileKind::kLineSource:
      return Identity{std::string(name.substr(0, name.size() - kLineSourceSuffix.size())), ""};
    case FileKind::kTrainSource: {
      const std::string_view stem = name.substr(0, name.size() - kTrainSourceSuffix.size());
      const size_t cut = stem.rfind('_');
      if (cut == std::string_view::npos || cut == 0 || cut + 1 == stem.size()) return std::nullopt;
      return Identity{std::string(stem.substr(0, cut)), std::string(stem.substr(cut + 1))};
    }
    default:
      return std::nullopt;
  }
}

std::optional<std::string> train_of_source(std::string_view file_name, std::string_view name) {
  if (file_name.size() <= name.size() + 1 + kTrainSourceSuffix.size() ||
      file_name.substr(0, name.size()) != name || file_name[name.size()] != '_' ||
      !ends_with(file_name, kTrainSourceSuffix)) {
    return std::nullopt;
  }
  const std::string_view train = file_name.substr(
      name.size() + 1, file_name.size() - name.size() - 1 - kTrainSourceSuffix.size());
  if (train.find('_') != std::string_view::npos) return std::nullopt;
  return std::string(train);
}

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

std::optional<std::string> identity_check(const Identity& id) {
  if (auto p = identity_problem("the scenario name", id.name)) return p;
  if (auto p = identity_problem("the train number", id.train)) return p;
  const std::vector<std::string> names = scenario_file_names(id);
  for (size_t i = 0; i < names.size(); ++i) {
    for (size_t k = i + 1; k < names.size(); ++k) {
      if (folded(names[i]) == folded(names[k])) {
        return "the train number '" + id.train + "' gives two files the name " + names[k] +
               "; choose another";
      }
    }
  }
  return std::nullopt;
}

}  // namespace scenario

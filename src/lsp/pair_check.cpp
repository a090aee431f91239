#include "lsp/pair_check.h"

#include <algorithm>
#include <filesystem>

#include "compiler/compile.h"
#include "format/file_names.h"
#include "lint/source_lint.h"
#include "source/read_failure.h"
#include "source/source_store.h"
#include "source/status_codes.h"

namespace scenario::lsp {
namespace {

// A folder with more entries than this is not searched for a train source.
constexpr int kMaxFolderEntries = 20000;

// The train number of NAME_TRAIN-.txt for the base name; nullopt when it is not of that name.
std::optional<std::string> train_of(const std::string& file_name, const std::string& name) {
  const std::string prefix = name + "_";
  if (file_name.size() <= prefix.size() + kTrainSourceSuffix.size() ||
      file_name.compare(0, prefix.size(), prefix) != 0 ||
      !ends_with(file_name, kTrainSourceSuffix)) {
    return std::nullopt;
  }
  std::string train =
      file_name.substr(prefix.size(), file_name.size() - prefix.size() - kTrainSourceSuffix.size());
  if (train.find('_') != std::string::npos) return std::nullopt;
  return train;
}

std::optional<std::string> train_on_disk(const std::string& directory, const std::string& name) {
  std::optional<std::string> first;
  std::error_code ec;
  std::filesystem::directory_iterator it(directory, ec), end;
  for (int n = 0; !ec && it != end && n < kMaxFolderEntries; it.increment(ec), ++n) {
    const std::optional<std::string> train = train_of(it->path().filename().string(), name);
    if (train && (!first || *train < *first)) first = train;
  }
  return first;
}

}  // namespace

std::optional<Identity> pair_identity(const Document& d, const Documents& open) {
  if (!d.kind || d.directory.empty()) return std::nullopt;
  if (*d.kind == SourceKind::kTrain) {
    const std::string stem = d.file_name.substr(0, d.file_name.size() - kTrainSourceSuffix.size());
    const size_t cut = stem.rfind('_');
    if (cut == std::string::npos || cut == 0 || cut + 1 == stem.size()) return std::nullopt;
    return Identity{stem.substr(0, cut), stem.substr(cut + 1)};
  }
  Identity id{d.file_name.substr(0, d.file_name.size() - kLineSourceSuffix.size()), ""};
  if (id.name.empty()) return std::nullopt;
  std::optional<std::string> train;
  for (const auto& [uri, other] : open.all()) {
    if (other.directory != d.directory) continue;
    const std::optional<std::string> t = train_of(other.file_name, id.name);
    if (t && (!train || *t < *train)) train = t;
  }
  if (!train) train = train_on_disk(d.directory, id.name);
  id.train = train.value_or("");
  return id;
}

std::vector<EditorDiagnostic> check_pair(BuildState& state, const std::string& directory,
                                         const Identity& id, const Documents& open) {
  std::vector<EditorDiagnostic> out;
  MemorySources sources;
  const std::string line_name = line_source_name(id);
  const std::string train_name = id.train.empty() ? "" : train_source_name(id);
  for (const std::string& name : {line_name, train_name}) {
    if (name.empty()) continue;
    if (const Document* d = open.find_file(directory, name)) {
      if (d->too_large) return out;  // told on the document itself
      sources.set(name, d->bytes);
      continue;
    }
    try {
      if (auto text = load_source_file(directory + "/" + name)) sources.set(name, std::move(*text));
    } catch (const ReadFailure& e) {
      EditorDiagnostic f;
      f.file = name;
      f.code = "status " + std::to_string(kReadFailure);
      f.message = f.code + ": " + e.what();
      out.push_back(std::move(f));
      return out;
    }
  }
  std::vector<EditorDiagnostic> warnings;
  {
    const auto text_of = [&](const std::string& name) -> const std::string* {
      const auto it = sources.texts().find(name);
      return name.empty() || it == sources.texts().end() ? nullptr : &it->second;
    };
    for (const Diagnostic& w :
         lint_sources({line_name, text_of(line_name)}, {train_name, text_of(train_name)})) {
      warnings.push_back(from_warning(w));
    }
  }
  state.scenario_name = id.name;
  state.train_number = id.train.empty() ? "0" : id.train;
  const CompileOutcome outcome = compile(state, sources, 1);
  out = faults_of(outcome);
  const std::string stand_in = train_source_name({state.scenario_name, state.train_number});
  if (id.train.empty() && outcome.read_status.code == kReadFailure &&
      outcome.read_status.message.find("cannot open " + stand_in) != std::string::npos) {
    // The line half was clean and there is no train to read: not a fault of this source.
    out.erase(out.begin());
    EditorDiagnostic note;
    note.severity = Severity::kInformation;
    note.code = "no train source";
    note.message =
        "no train source " + id.name + "_TRAIN-.txt in this folder: only the line source was read";
    out.insert(out.begin(), std::move(note));
  }
  out.insert(out.end(), warnings.begin(), warnings.end());
  return out;
}

}  // namespace scenario::lsp

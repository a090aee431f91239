#include "lsp/pair_check.h"

#include <algorithm>
#include <filesystem>

#include "compiler/check_scenario.h"
#include "format/file_names.h"
#include "format/native_path.h"
#include "source/read_failure.h"
#include "source/source_store.h"
#include "source/status_codes.h"

namespace scenario::lsp {
namespace {

// A folder with more entries than this is not searched for a train source.
constexpr int kMaxFolderEntries = 20000;

std::optional<std::string> train_on_disk(const std::string& directory, const std::string& name) {
  std::optional<std::string> first;
  std::error_code ec;
  std::filesystem::directory_iterator it(native_path(directory), ec), end;
  for (int n = 0; !ec && it != end && n < kMaxFolderEntries; it.increment(ec), ++n) {
    const std::optional<std::string> train =
        train_of_source(path_text(it->path().filename()), name);
    if (train && (!first || *train < *first)) first = train;
  }
  return first;
}

}  // namespace

std::optional<Identity> pair_identity(const Document& d, const Documents& open) {
  if (!d.kind || d.directory.empty()) return std::nullopt;
  std::optional<Identity> id = source_identity(d.file_name);
  if (!id || *d.kind == SourceKind::kTrain) return id;
  std::optional<std::string> train;
  for (const auto& [uri, other] : open.all()) {
    if (other.directory != d.directory) continue;
    const std::optional<std::string> t = train_of_source(other.file_name, id->name);
    if (t && (!train || *t < *train)) train = t;
  }
  if (!train) train = train_on_disk(d.directory, id->name);
  id->train = train.value_or("");
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
  state.scenario_name = id.name;
  state.train_number = id.train.empty() ? "0" : id.train;
  CheckOptions options;
  options.set_aside = false;
  const CheckReport report =
      check_scenario(sources, {state.scenario_name, state.train_number}, options);
  for (const Diagnostic& d : report.faults) out.push_back(from_fault(d));
  const std::string stand_in = train_source_name({state.scenario_name, state.train_number});
  if (id.train.empty() && !report.faults.empty() && report.faults.front().code == kReadFailure &&
      report.faults.front().message.find("cannot open " + stand_in) != std::string::npos) {
    // The line half was clean and there is no train to read: not a fault of this source.
    out.erase(out.begin());
    EditorDiagnostic note;
    note.severity = Severity::kInformation;
    note.code = "no train source";
    note.message =
        "no train source " + id.name + "_TRAIN-.txt in this folder: only the line source was read";
    out.insert(out.begin(), std::move(note));
  }
  for (const Diagnostic& w : report.warnings) out.push_back(from_warning(w));
  if (report.more_warnings > 0) {
    EditorDiagnostic more;
    more.severity = Severity::kInformation;
    more.code = "more warnings";
    more.message = "and " + std::to_string(report.more_warnings) +
                   " more warnings, not shown (only the first " +
                   std::to_string(kMaxListedWarnings) + " are)";
    out.push_back(std::move(more));
  }
  return out;
}

}  // namespace scenario::lsp

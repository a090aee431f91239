#include "tool/check_command.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <set>

#include "compiler/compile.h"
#include "format/file_names.h"
#include "source/diagnostic_json.h"
#include "source/read_failure.h"
#include "source/source_store.h"
#include "source/status_codes.h"
#include "tool/scenario_identity.h"
#include "tool/scenario_options.h"

namespace scenario::tool {
namespace {

constexpr const char* kCheckUsage =
    "usage: scenario-tool check [--name NAME] [--train NUMBER] [--json] SRCDIR";

// Blanks lines first..last of text (from 1), keeping the line ends, so that the other rows
// keep their line numbers and the reader skips the blanked ones.
void set_aside(std::string& text, int32_t first, int32_t last) {
  int32_t line = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      ++line;
      continue;
    }
    if (line >= first && line <= last) text[i] = ' ';
  }
}

}  // namespace

std::vector<Diagnostic> check_sources(const std::string& srcdir, const Identity& id,
                                      size_t max_faults) {
  MemorySources sources;
  std::vector<Diagnostic> faults;
  for (const std::string& name : {line_source_name(id), train_source_name(id)}) {
    try {
      if (auto t = load_source_file(srcdir + "/" + name)) sources.set(name, std::move(*t));
    } catch (const ReadFailure& e) {
      RowOrigin file;
      file.file = name;
      faults.push_back(make_diagnostic(Diagnostic::Kind::kStatus, kReadFailure, 0, file, e.what()));
    }
  }
  if (!faults.empty()) return faults;

  std::set<std::pair<std::string, int32_t>> set_aside_rows;
  // Sets the row of d aside for the next compile; false when it has no row or was set aside.
  const auto set_row_aside = [&](const Diagnostic& d) {
    if (d.file.empty() || d.row_first_line <= 0 || sources.texts().count(d.file) == 0) return false;
    if (!set_aside_rows.insert({d.file, d.row_first_line}).second) return false;
    set_aside(sources.texts()[d.file], d.row_first_line, d.row_last_line);
    return true;
  };
  while (faults.size() < max_faults) {
    auto state = std::make_unique<BuildState>();
    state->scenario_name = id.name;
    state->train_number = id.train;
    const CompileOutcome outcome = compile(*state, sources, 1);
    // A reader's fault stops the reading there: the row goes, and the sources are compiled
    // again without it.
    if (!outcome.read_status.clean()) {
      faults.push_back(outcome.read_status);
      if (!set_row_aside(outcome.read_status)) break;
      continue;
    }
    // A row that puts an item on block 1 takes a reserved field: the compile ends before the
    // codes of the post-processing are final, so the row goes first.
    if (outcome.errore) {
      faults.push_back(*outcome.errore);
      if (!set_row_aside(*outcome.errore)) break;
      continue;
    }
    // The readers are content: what the compiler finds is listed in one pass.
    for (const Diagnostic& d : outcome.compiler_faults) {
      if (faults.size() >= max_faults) break;
      faults.push_back(d);
    }
    break;
  }
  const std::string line_name = line_source_name(id);
  std::stable_sort(faults.begin(), faults.end(), [&](const Diagnostic& a, const Diagnostic& b) {
    const auto rank = [&](const Diagnostic& f) {
      return f.file.empty() || f.line == 0 ? 2 : (f.file == line_name ? 0 : 1);
    };
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    return a.line < b.line;
  });
  return faults;
}

int check_command(const std::vector<std::string>& args) {
  try {
    const ScenarioOptions o = parse_scenario_options(args, {.json = true});
    const Identity id = resolve_identity(o.directory, o.name, o.train);
    const std::vector<Diagnostic> faults = check_sources(o.directory, id);
    if (o.json) {
      nlohmann::ordered_json list = nlohmann::ordered_json::array();
      for (const Diagnostic& f : faults) list.push_back(diagnostic_json(f));
      std::cout << list.dump() << std::endl;
    } else {
      for (const Diagnostic& f : faults) std::cout << diagnostic_text(f);
      if (!faults.empty()) {
        std::cout << faults.size() << (faults.size() == 1 ? " fault" : " faults") << " found\n";
      }
    }
    return faults.empty() ? 0 : 3;
  } catch (const UsageError& e) {
    std::cerr << "scenario-tool check: " << e.what() << "\n" << kCheckUsage << std::endl;
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "scenario-tool check: " << e.what() << std::endl;
    return 1;
  }
}

}  // namespace scenario::tool

#include "compiler/check_scenario.h"

#include <algorithm>
#include <memory>
#include <set>

#include "compiler/compile.h"
#include "format/file_names.h"
#include "source/read_failure.h"
#include "source/status_codes.h"

namespace scenario {
namespace {

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

bool load_scenario_sources(const std::string& srcdir, const Identity& id, MemorySources& sources,
                           CheckReport& report) {
  for (const std::string& name : {line_source_name(id), train_source_name(id)}) {
    try {
      if (auto t = load_source_file(srcdir + "/" + name)) sources.set(name, std::move(*t));
    } catch (const ReadFailure& e) {
      RowOrigin file;
      file.file = name;
      report.faults.push_back(
          make_diagnostic(Diagnostic::Kind::kStatus, kReadFailure, 0, file, e.what()));
    }
  }
  return report.faults.empty();
}

CheckReport check_scenario(MemorySources& sources, const Identity& id,
                           const CheckOptions& options) {
  CheckReport report;
  std::vector<Diagnostic>& faults = report.faults;
  const std::string line_name = line_source_name(id), train_name = train_source_name(id);
  {
    const auto text_of = [&](const std::string& name) -> const std::string* {
      const auto it = sources.texts().find(name);
      return it == sources.texts().end() ? nullptr : &it->second;
    };
    LintReport lint = lint_sources({line_name, text_of(line_name)},
                                   {train_name, text_of(train_name)}, options.lint);
    report.warnings = std::move(lint.warnings);
    report.more_warnings = lint.more;
  }

  std::set<std::pair<std::string, int32_t>> set_aside_rows;
  // Sets the row of d aside for the next compile; false when it has no row or was set aside.
  const auto set_row_aside = [&](const Diagnostic& d) {
    if (!options.set_aside) return false;
    if (d.file.empty() || d.row_first_line <= 0 || sources.texts().count(d.file) == 0) return false;
    if (!set_aside_rows.insert({d.file, d.row_first_line}).second) return false;
    set_aside(sources.texts()[d.file], d.row_first_line, d.row_last_line);
    return true;
  };
  while (faults.size() < options.max_faults) {
    auto state = std::make_unique<BuildState>();
    state->scenario_name = id.name;
    state->train_number = id.train;
    const CompileOutcome outcome = compile(*state, sources, 1);
    if (!options.set_aside) {
      // One compile: every fault it finds.
      if (!outcome.read_status.clean()) faults.push_back(outcome.read_status);
      for (const Diagnostic& d : outcome.compiler_faults) faults.push_back(d);
      if (outcome.errore) faults.push_back(*outcome.errore);
      return report;
    }
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
      if (faults.size() >= options.max_faults) break;
      faults.push_back(d);
    }
    break;
  }
  std::stable_sort(faults.begin(), faults.end(), [&](const Diagnostic& a, const Diagnostic& b) {
    const auto rank = [&](const Diagnostic& f) {
      return f.file.empty() || f.line == 0 ? 2 : (f.file == line_name ? 0 : 1);
    };
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    return a.line < b.line;
  });
  return report;
}

CheckReport check_scenario(const std::string& srcdir, const Identity& id,
                           const CheckOptions& options) {
  MemorySources sources;
  CheckReport loaded;
  if (!load_scenario_sources(srcdir, id, sources, loaded)) return loaded;
  return check_scenario(sources, id, options);
}

}  // namespace scenario

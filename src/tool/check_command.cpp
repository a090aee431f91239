#include "tool/check_command.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>

#include "compiler/compile.h"
#include "format/file_names.h"
#include "lint/source_lint.h"
#include "source/diagnostic_json.h"
#include "source/read_failure.h"
#include "source/source_store.h"
#include "source/status_codes.h"
#include "tool/scenario_identity.h"
#include "tool/scenario_options.h"

namespace scenario::tool {
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

std::vector<Diagnostic> check_sources(const std::string& srcdir, const Identity& id,
                                      size_t max_faults) {
  return check_scenario(srcdir, id, max_faults).faults;
}

CheckReport check_scenario(const std::string& srcdir, const Identity& id, size_t max_faults) {
  CheckReport report;
  MemorySources sources;
  std::vector<Diagnostic>& faults = report.faults;
  for (const std::string& name : {line_source_name(id), train_source_name(id)}) {
    try {
      if (auto t = load_source_file(srcdir + "/" + name)) sources.set(name, std::move(*t));
    } catch (const ReadFailure& e) {
      RowOrigin file;
      file.file = name;
      faults.push_back(make_diagnostic(Diagnostic::Kind::kStatus, kReadFailure, 0, file, e.what()));
    }
  }
  if (!faults.empty()) return report;
  {
    const auto text_of = [&](const std::string& name) -> const std::string* {
      const auto it = sources.texts().find(name);
      return it == sources.texts().end() ? nullptr : &it->second;
    };
    const std::string line = line_source_name(id), train = train_source_name(id);
    report.warnings = lint_sources({line, text_of(line)}, {train, text_of(train)});
  }

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
  for (Diagnostic& f : faults) {
    // A misspelt name shows beside the names that the folder holds.
    if (f.kind != Diagnostic::Kind::kStatus || f.code != kNoLineSource) continue;
    std::string held;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(srcdir, ec)) {
      const std::string n = e.path().filename().string();
      if (ends_with(n, kLineSourceSuffix)) held += (held.empty() ? "" : ", ") + n;
    }
    f.message += "; " + srcdir + " holds " + (held.empty() ? "no line source" : held);
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

CommandLine check_command_line() {
  CommandLine c("check",
                "list every faulty row of a scenario's sources, writing nothing, and warn of rows "
                "the readers take but most likely not as meant; --no-warn silences one warning, "
                "--werror makes warnings count as faults");
  declare_identity_options(c);
  c.flag("--json", "print the list as JSON");
  declare_warning_options(c);
  c.operand("SRCDIR", "the folder of the two sources");
  return c;
}

int check_command(const std::vector<std::string>& args) {
  CommandLine c = check_command_line();
  if (const auto done = c.parse(args, std::cout, std::cerr)) return *done;
  try {
    const ScenarioOptions o = scenario_options(c, "SRCDIR");
    const Identity id = resolve_identity(o.directory, o.name, o.train);
    const CheckReport report = check_scenario(o.directory, id);
    // Faults and warnings together, each source's by line, as an author reads the file.
    std::vector<Diagnostic> all = report.faults;
    size_t warnings = 0;
    for (const Diagnostic& w : report.warnings) {
      if (o.no_warn.count(std::string(w.name())) != 0) continue;
      all.push_back(w);
      ++warnings;
    }
    const std::string line_name = line_source_name(id);
    std::stable_sort(all.begin(), all.end(), [&](const Diagnostic& a, const Diagnostic& b) {
      const auto rank = [&](const Diagnostic& f) {
        return f.file.empty() || f.line == 0 ? 2 : (f.file == line_name ? 0 : 1);
      };
      if (rank(a) != rank(b)) return rank(a) < rank(b);
      return a.line < b.line;
    });
    const size_t faults = report.faults.size();
    if (o.json) {
      nlohmann::ordered_json list = nlohmann::ordered_json::array();
      for (const Diagnostic& f : all) list.push_back(diagnostic_json(f));
      std::cout << list.dump() << std::endl;
    } else {
      for (const Diagnostic& f : all) std::cout << diagnostic_text(f);
      const auto count = [](size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
      };
      if (faults > 0 && warnings > 0) {
        std::cout << count(faults, "fault", "faults") << " and "
                  << count(warnings, "warning", "warnings") << " found\n";
      } else if (faults > 0) {
        std::cout << count(faults, "fault", "faults") << " found\n";
      } else if (warnings > 0) {
        std::cout << count(warnings, "warning", "warnings") << " found\n";
      }
    }
    return faults > 0 || (o.werror && warnings > 0) ? 3 : 0;
  } catch (const UsageError& e) {
    return c.refuse(e.what(), std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "scenario-tool check: " << e.what() << std::endl;
    return 1;
  }
}

}  // namespace scenario::tool

#include "tool/check_command.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>

#include "compiler/check_scenario.h"
#include "format/file_names.h"
#include "format/native_path.h"
#include "lint/source_lint.h"
#include "source/diagnostic_json.h"
#include "source/read_failure.h"
#include "source/source_store.h"
#include "source/status_codes.h"
#include "tool/scenario_identity.h"
#include "tool/scenario_options.h"

namespace scenario::tool {
namespace {

// A misspelt name shows beside the names that the folder holds.
void note_line_sources(std::vector<Diagnostic>& faults, const std::string& srcdir) {
  for (Diagnostic& f : faults) {
    if (f.kind != Diagnostic::Kind::kStatus || f.code != kNoLineSource) continue;
    std::string held;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(native_path(srcdir), ec)) {
      const std::string n = path_text(e.path().filename());
      if (ends_with(n, kLineSourceSuffix)) held += (held.empty() ? "" : ", ") + n;
    }
    f.message += "; " + srcdir + " holds " + (held.empty() ? "no line source" : held);
  }
}

// What --json says of the warnings past the cap: one more object of the list's form.
nlohmann::ordered_json more_warnings_json(size_t more) {
  nlohmann::ordered_json j;
  for (const char* key : {"file", "line", "column", "status", "errore", "position"}) {
    j[key] = nullptr;
  }
  j["message"] = "and " + std::to_string(more) + " more warnings, not listed (only the first " +
                 std::to_string(kMaxListedWarnings) + " are)";
  j["text"] = "";
  j["severity"] = "note";
  j["name"] = nullptr;
  j["more"] = more;
  return j;
}

}  // namespace

std::vector<Diagnostic> check_sources(const std::string& srcdir, const Identity& id,
                                      size_t max_faults) {
  CheckOptions options;
  options.max_faults = max_faults;
  CheckReport report = check_scenario(srcdir, id, options);
  note_line_sources(report.faults, srcdir);
  return std::move(report.faults);
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
    CheckOptions options;
    for (const WarningInfo& w : warning_infos()) {
      if (o.no_warn.count(std::string(w.name)) != 0) options.lint.silenced.push_back(w.code);
    }
    CheckReport report = check_scenario(o.directory, id, options);
    note_line_sources(report.faults, o.directory);
    // Faults and warnings together, each source's by line, as an author reads the file.
    std::vector<Diagnostic> all = report.faults;
    const size_t warnings = report.warnings.size() + report.more_warnings;
    all.insert(all.end(), report.warnings.begin(), report.warnings.end());
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
      if (report.more_warnings > 0) list.push_back(more_warnings_json(report.more_warnings));
      std::cout << list.dump() << std::endl;
    } else {
      for (const Diagnostic& f : all) std::cout << diagnostic_text(f);
      if (report.more_warnings > 0) {
        std::cout << "and " << report.more_warnings << " more warnings, not listed (only the first "
                  << kMaxListedWarnings << " are)\n";
      }
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

// The check of a scenario's two sources that `check` and the editor's language server share:
// load, warnings, compile, without writing anything.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "lint/source_lint.h"
#include "model/identity.h"
#include "source/diagnostic.h"
#include "source/source_store.h"

namespace scenario {

// check lists at most this many warnings, and then how many more there were.
inline constexpr size_t kMaxListedWarnings = 1000;

struct CheckOptions {
  // Compile again after setting aside each row that caused a reader's status or an errore,
  // until the sources compile clean or max_faults are listed; else one compile and its faults.
  bool set_aside = true;
  size_t max_faults = 100;
  LintLimits lint{{}, kMaxListedWarnings};
};

struct CheckReport {
  // Faults in file order: the line source, then the train source, each by line; faults
  // without a row last.
  std::vector<Diagnostic> faults;
  std::vector<Diagnostic> warnings;  // of the sources as they are, in file order
  size_t more_warnings = 0;          // past the cap
};

// Loads the two sources of id from srcdir into sources (a source too large or unreadable is a
// fault of its file, and ends the check); false when that failed.
bool load_scenario_sources(const std::string& srcdir, const Identity& id, MemorySources& sources,
                           CheckReport& report);

// Checks the sources of id held in sources (a missing one as the compile finds it). The texts
// are copies: rows set aside are blanked in them.
CheckReport check_scenario(MemorySources& sources, const Identity& id,
                           const CheckOptions& options = {});

// Loads the sources of id from srcdir and checks them.
CheckReport check_scenario(const std::string& srcdir, const Identity& id,
                           const CheckOptions& options = {});

}  // namespace scenario

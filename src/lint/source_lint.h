// Warnings about the two source texts: what the readers take without a status although an author
// most likely meant something else (a misspelt keyword, a row short of a field, a decimal comma,
// rows out of order, a speed the track cannot hold, UTF-8 text). They never change a build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "source/diagnostic.h"

namespace scenario {

// A source to look at: its file name and its text, or no text when the folder has none.
struct LintedSource {
  std::string name;
  const std::string* text = nullptr;
};

// Every warning of the pair, the line source's first, each in the order of its rows.
std::vector<Diagnostic> lint_sources(const LintedSource& line, const LintedSource& train);

// What to keep of the warnings: the silenced kinds are left out, and past max_warnings the
// rest are only counted, so that a source of a million faulty rows takes bounded memory.
struct LintLimits {
  std::vector<int32_t> silenced;
  size_t max_warnings = SIZE_MAX;
};
struct LintReport {
  std::vector<Diagnostic> warnings;  // the first max_warnings, each source's in row order
  size_t more = 0;                   // how many more there were
};
LintReport lint_sources(const LintedSource& line, const LintedSource& train,
                        const LintLimits& limits);

}  // namespace scenario

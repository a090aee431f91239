// Warnings about the two source texts: what the readers take without a status although an author
// most likely meant something else (a misspelt keyword, a row short of a field, a decimal comma,
// rows out of order, a speed the track cannot hold, UTF-8 text). They never change a build.
#pragma once

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

}  // namespace scenario

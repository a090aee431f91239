// scenario-tool check: lists every faulty row of a scenario's sources in one run, and the rows
// that the readers take without a fault but most likely not as meant.
#pragma once

#include <string>
#include <vector>

#include "model/identity.h"
#include "source/diagnostic.h"

#include "tool/command_line.h"

namespace scenario::tool {

// Compiles the sources of id in srcdir on in-memory copies, again and again, each time setting
// aside the row that caused the status or the errore, until they compile clean or max_faults
// are listed. Nothing is written and the sources are not touched. Faults come in file order:
// the line source, then the train source, each by line; faults without a row last.
std::vector<Diagnostic> check_sources(const std::string& srcdir, const Identity& id,
                                      size_t max_faults = 100);

struct CheckReport {
  std::vector<Diagnostic> faults;    // as check_sources lists them
  std::vector<Diagnostic> warnings;  // of the sources as they are, in file order
};

// The faults of check_sources and the warnings of the sources.
CheckReport check_scenario(const std::string& srcdir, const Identity& id, size_t max_faults = 100);

// The command's options and operand.
CommandLine check_command_line();
int check_command(const std::vector<std::string>& args);

}  // namespace scenario::tool

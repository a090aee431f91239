// From the three compiled files of a scenario back to its two sources, checked to compile to
// the same bytes before they are handed out.
#pragma once

#include <string>

#include "decompile/compiled_files.h"

namespace scenario::decompile {

struct DecompileOutcome {
  bool ok = false;
  std::string error;       // one line naming the first inconsistency, when not ok
  std::string line_text;   // NAME_linea.txt
  std::string train_text;  // NAME_TRAIN-.txt
};

// Recovers the sources of the scenario name / train from the compiled bytes. The outcome is ok
// only when the sources read cleanly and compile to exactly the given bytes.
DecompileOutcome decompile(const CompiledBytes& bytes, const std::string& name,
                           const std::string& train);

}  // namespace scenario::decompile

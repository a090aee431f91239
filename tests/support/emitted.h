// Test helper: runs one of the built-in scenario's emitters and returns the file it wrote.
#pragma once

#include <string>
#include <vector>

#include "model/build_state.h"

namespace scenario::testing {

using Emitter = void (*)(BuildState&);

// The emitted file's lines (Windows-1252 bytes, CR LF removed). Fails the current test if a
// line does not end in CR LF or the file holds a stray CR or LF.
std::vector<std::string> emitted_lines(Emitter emitter, const std::string& file_name);

// The identity of the built-in scenario, writing into dir.
BuildState builtin_state(const std::string& dir);

}  // namespace scenario::testing

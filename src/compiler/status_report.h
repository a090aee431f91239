// Reporting a build's status to the author: one line with the file, line, position and reason.
#pragma once

#include <string>

#include "model/build_state.h"

namespace scenario {

// A short English description of a status code.
std::string status_message(int32_t code);
// True for the codes that record the position of the row or block concerned.
bool status_has_position(int32_t code);

// "FILE:LINE: status N at P m: message" (file, line and position where they apply); reason
// is appended for a reading failure.
std::string format_status_line(const BuildState& state, const std::string& reason);

}  // namespace scenario

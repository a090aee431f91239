// The source reader: the line source, then the train source, under one failure handler.
#pragma once

#include <string>

#include "model/build_state.h"

namespace scenario {

// Reads both sources from state.directory into the build state and deletes them. Faults of
// the data end in state.read_status; run-time failures give code 25, with the reason in
// failure_reason when one is given.
void memorizza_dati(BuildState& state, std::string* failure_reason = nullptr);

}  // namespace scenario

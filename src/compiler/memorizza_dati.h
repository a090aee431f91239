// The source reader: the line source, then the train source, under one failure handler.
#pragma once

#include "model/build_state.h"
#include "source/reader_context.h"
#include "source/source_store.h"

namespace scenario {

// Reads both sources of the state's identity from sources into the build state; the store
// decides what becomes of them. Faults of the data end in state.read_status; run-time failures
// give code 25. Returns where the status points, which rows placed the blocks' items, and the
// texts read.
// With a log, every row read is kept in it.
ReadReport memorizza_dati(BuildState& state, SourceStore& sources, RowLog* log = nullptr);

}  // namespace scenario

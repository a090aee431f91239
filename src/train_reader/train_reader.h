// The second half of the source reader: the train source.
#pragma once

#include "source/reader_context.h"

namespace scenario {

// Reads, applies and deletes the train source, then fills speed and adhesion to the end of
// the track. Throws ReadFailure for run-time failures (the caller's handler gives code 25).
void read_train_source(ReaderContext& ctx);

}  // namespace scenario

// The first half of the source reader: the line source.
#pragma once

#include "source/reader_context.h"

namespace scenario {

// How the line half ended: the train half runs only after a normal end or a position stop.
enum class LineOutcome { kContinue, kStop };

// Reads, applies and deletes the line source. Throws ReadFailure for run-time failures, which
// the caller's handler turns into code 25.
LineOutcome read_line_source(ReaderContext& ctx);

}  // namespace scenario

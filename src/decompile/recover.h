// Recovering the rows of the two sources from the decoded compiled files.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "decompile/compiled_files.h"
#include "decompile/recovered_sources.h"

namespace scenario::decompile {

// Bytes that no source can have given; what() is the line to show.
class Inconsistency : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The names the files were read under, for the messages.
struct FileNames {
  std::string curve, general, track;
};

// Recovers the line rows. Throws Inconsistency at the first fact that no line source gives.
LineRows recover_line(const CompiledFiles& files, const FileNames& names);

// The train rows, and the blocks holding a code-cut point of 180 that a row or the compiler
// may have placed (left out of the rows: the caller decides). Throws Inconsistency.
struct TrainRecovery {
  TrainRows rows;
  std::vector<int64_t> open_cuts;
};
TrainRecovery recover_train(const CompiledFiles& files, const FileNames& names);

// Puts the signal rows, and the stations among them, in an order whose approach marks, each
// overwriting those read before it, leave mark11 as the track holds it. Where no order does,
// the rows stay as they are and the final comparison names the mark.
void order_marking_rows(const CompiledFiles& files, TrainRows& rows);

}  // namespace scenario::decompile

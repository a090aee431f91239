// Working values that the two halves of the source reader share during one read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "line_reader/field_stream.h"
#include "model/build_state.h"

namespace scenario {

struct ReaderContext {
  explicit ReaderContext(BuildState& s) : state(s) {}

  BuildState& state;
  // The source being read now, and its file name for reports.
  std::optional<FieldStream> stream;
  std::string file_name;
  // Line of the keyword field of the row being read.
  int32_t row_line = 0;
  // The next free board slot, which station slots must stay below.
  int32_t next_board_slot = 80;
  // Set for a run-time failure, to say why.
  std::string failure_reason;

  // Sets ReadStatus to code, recording the row being read as its origin; the position is set
  // only when given.
  void set_status(int32_t code, std::optional<int64_t> position = std::nullopt);
  // Records which row placed an item on a block, for reports on that block later.
  void note_block(int64_t block);
};

// Reads the whole source file at path into memory; nullopt when it does not exist. Throws
// ReadFailure for a directory, an unreadable file or one larger than 64 MiB.
std::optional<std::string> load_source(const std::string& path);

// Deletes a source file if it exists, unless the build keeps its sources. A file that exists
// and cannot be deleted is a ReadFailure: the build must not end clean with its source left.
void delete_source(const BuildState& state, const std::string& path);

// The same for the failure handler, which is already ending the reading: a failure is ignored.
void delete_source_if_possible(const BuildState& state, const std::string& path) noexcept;

}  // namespace scenario

// Working values that the two halves of the source reader share during one read, and what the
// read leaves for the reports after it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/build_state.h"
#include "source/field_stream.h"
#include "source/row_origin.h"
#include "source/row_scanner.h"
#include "source/source_store.h"

namespace scenario {

// What a read leaves besides the build state: where its status points, which rows placed the
// items on the blocks, why a reading failed, and the texts read (to quote rows from).
struct ReadReport {
  RowOrigin status_origin;
  BlockOrigins blocks;
  // Why, appended to the status's message: the cause of a reading failure (code 25), what holds
  // a block that a row found taken, the station that a station too close follows.
  std::string failure_reason;
  // The row that failure_reason names as the cause, for an editor to go to; unknown when none.
  RowOrigin culprit;
  std::map<std::string, std::string> texts;
};

// The rows that the readers read, value by value, for tests that hold them beside a scan.
struct RowLog {
  std::vector<ScannedRow> line;
  std::vector<ScannedRow> train;
};

struct ReaderContext {
  ReaderContext(BuildState& s, SourceStore& store) : state(s), sources(store) {}

  BuildState& state;
  SourceStore& sources;
  ReadReport report;
  // The source being read now, and its file name for reports.
  std::optional<FieldStream> stream;
  std::string file_name;
  // The source being read holds nothing but blanks and line ends.
  bool empty_source = false;
  // Line of the keyword field of the row being read.
  int32_t row_line = 0;
  // The next free board slot, which station slots must stay below.
  int32_t next_board_slot = 80;
  // Where the readers log their rows; null but in tests.
  RowLog* row_log = nullptr;

  // Makes name the source being read; false when the store has no such source.
  bool open(const std::string& name);
  // The reader is done with the source being read: the store may delete it. Throws ReadFailure.
  void finish_source() { sources.done(file_name); }
  // Keeps the text of the source being read for the reports and closes it.
  void close();

  // Sets ReadStatus to code, recording the row being read as its origin; the position is set
  // only when given.
  void set_status(int32_t code, std::optional<int64_t> position = std::nullopt);
  // Sets a status that no row caused but that concerns the file called file.
  void set_file_status(int32_t code, const std::string& file);
  // Records which row placed an item on a block, for reports on that block later.
  void note_block(int64_t block);
  // Sets a taken-block status of the row being read, naming what holds block.
  void set_taken(int32_t code, int64_t position, int64_t block);
  // What holds a block, in an author's words: "the speed board at FILE:LINE", "the slowdown
  // warning placed 1200 m before the slowdown at FILE:LINE", ...
  std::string block_holder(int64_t block) const;
  // The row that placed the item on a block; unknown when no row is recorded there.
  RowOrigin block_row(int64_t block) const;
};

}  // namespace scenario

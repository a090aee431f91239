// Test helper: compiles small source texts written by a test and dumps the result.
#pragma once

#include <memory>
#include <string>

#include "compiler/compile.h"
#include "model/build_state.h"
#include "source/reader_context.h"
#include "support/temp_dir.h"

namespace scenario::testing {

// A compile of a line source and (optionally) a train source in a private directory.
struct Compiled {
  std::unique_ptr<TempDir> dir;
  std::unique_ptr<BuildState> state;
  CompileOutcome outcome;  // of compile()
  ReadReport read;         // of read_only()
  struct {
    std::vector<std::string> outputs;  // compiled files written
    std::string failure_reason;        // why a code 25 was set, when known
  } result;

  const TrackBlock& block(int64_t i) const { return state->track[i]; }
  const GeneralEntry& slot(int i) const { return state->general[i]; }
  int32_t status() const { return state->read_status; }
  int32_t position() const { return state->read_status_position; }
  bool line_source_left() const;
  bool train_source_left() const;
};

// Writes the sources under the identity "T" / "1", compiles them as the one-scenario build does
// (sources deleted) with the build flag, and writes the compiled files unless an errore ended
// the build. A null train text writes no train source.
Compiled compile(const std::string& line_text, const char* train_text = "[generale]\r\n",
                 int32_t build_flag = 1);

// Runs only the reader (no post-processing, no files): for reader tests.
Compiled read_only(const std::string& line_text, const char* train_text = "[generale]\r\n",
                   int32_t build_flag = 1);

// A line source of route length 93000 with the given body rows after "[curve]".
std::string line_with_body(const std::string& body, int32_t length = 93000);
// A train source with the given rows after "[generale]".
std::string train_with(const std::string& rows);

// Non-plain blocks from..to as "b10:code14 v1=80" items joined by blanks; fields that are 0
// are left out. Marks are shown as m11=.. etc.
std::string dump_blocks(const TrackArray& track, int64_t from, int64_t to, bool with_marks = false);

}  // namespace scenario::testing

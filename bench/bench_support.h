// Benchmark helpers: private directories, source files, and timed child processes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/build_state.h"
#include "support/temp_dir.h"

namespace scenario::bench {

// Private directories and whole-file reads and writes, as the tests have them.
using ScratchDir = testing::TempDir;
using testing::read_file;
using testing::write_file;

// A build state for identity name / train whose directory is dir; the benchmarks read the sources
// from there and keep them, so that one set of sources serves every iteration.
std::unique_ptr<BuildState> state_in(const std::string& dir, const std::string& name,
                                     const std::string& train);

// The built-in scenario's identity, with its five texts emitted into dir.
std::unique_ptr<BuildState> builtin_sources_in(const std::string& dir);

// A generated scenario of km kilometres written into dir under the identity "G" / "1".
std::unique_ptr<BuildState> generated_sources_in(const std::string& dir, int32_t km);

// What a child process cost: wall time from spawn to reaped, and its peak resident memory.
struct ChildRun {
  int exit_status = -1;  // -1 when it did not exit normally
  double seconds = 0;
  int64_t max_rss_kib = 0;
};

// Runs program with args (stdout and stderr to /dev/null) through scenario-bench-probe, which
// times it from fork to reaped and reports its own peak.
ChildRun run_child(const std::string& program, const std::vector<std::string>& args);

}  // namespace scenario::bench

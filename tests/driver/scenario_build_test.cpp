// The one-scenario program end to end: copied into an empty directory and run there.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/general_table.h"
#include "support/child_process.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

const std::vector<std::string> kOutputs = {"Lindeva_Querno_40716.dat",
                                           "Lindeva_Querno_40716.sim",
                                           "Lindeva_Querno_40716_note.txt",
                                           "Lindeva_Querno_40716_rallentamenti.txt",
                                           "Lindeva_Querno_40716_scheda_treno.txt",
                                           "Lindeva_Querno_linea.dat"};

struct BuildRun {
  TempDir dir;
  ProcessResult result;
  BuildRun() {
    copy_executable(SCENARIO_BUILD_EXE, dir.file("scenario-build"));
    result = run_process(dir.file("scenario-build"), {}, "/");
  }
  std::string file(const std::string& name) const { return read_file(dir.file(name)); }
};

int16_t le16(const std::string& b, size_t at) {
  return static_cast<int16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}
int32_t le32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
  return static_cast<int32_t>(v);
}

TEST(ScenarioBuild, BuildsTheScenarioInItsOwnDirectory) {
  const BuildRun run;
  EXPECT_EQ(run.result.exit_status, 0) << run.result.err;
  EXPECT_EQ(run.result.out, "Attendere\n");
  EXPECT_EQ(run.result.err, "");
  std::vector<std::string> expected = kOutputs;
  expected.push_back("scenario-build");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(list_dir(run.dir.path()), expected);  // no source file left
  EXPECT_EQ(run.file("Lindeva_Querno_linea.dat").size(), 1999964u);
  const std::string dat = run.file("Lindeva_Querno_40716.dat");
  ASSERT_EQ(dat.size(), 30015u);
  // Block 1: the format mark and the plain code of "40716lindeva_querno" and the fill.
  EXPECT_EQ(le16(dat, 15 + 1), 5121);
  EXPECT_EQ(le16(dat, 15 + 3), 2346);
  const std::string sim = run.file("Lindeva_Querno_40716.sim");
  // Walk the entries to slot 85: int1 610 and long4 the weighted code.
  size_t at = 0;
  size_t texts = 0;
  for (int slot = 0; slot < 85; ++slot) {
    const size_t n = static_cast<uint8_t>(sim[at + 14]) | (static_cast<uint8_t>(sim[at + 15]) << 8);
    texts += n;
    at += 34 + n;
  }
  const size_t n85 = static_cast<uint8_t>(sim[at + 14]);
  EXPECT_EQ(sim.substr(at + 16, n85), "Lindeva_Querno");
  EXPECT_EQ(le16(sim, at + 16 + n85), 610);
  EXPECT_EQ(le32(sim, at + 30 + n85), 32867);
  EXPECT_EQ(sim.size(), 2958 + texts + 14 + 5);
}

TEST(ScenarioBuild, RunningTwiceGivesTheSameBytes) {
  const BuildRun first;
  TempDir again;
  copy_executable(SCENARIO_BUILD_EXE, again.file("scenario-build"));
  // An earlier, longer file of the same name is replaced whole.
  write_file(again.file("Lindeva_Querno_40716.dat"), std::string(100000, 'x'));
  const ProcessResult second = run_process(again.file("scenario-build"), {});
  ASSERT_EQ(second.exit_status, 0);
  for (const std::string& name : kOutputs) {
    EXPECT_EQ(read_file(again.file(name)), first.file(name)) << name;
  }
}

// The waiting label goes to a pipe nobody reads: the write fails, the build still runs.
TEST(ScenarioBuild, StandardOutputThatNobodyReads) {
  TempDir dir;
  copy_executable(SCENARIO_BUILD_EXE, dir.file("scenario-build"));
  ChildOptions broken;
  broken.stdout_broken_pipe = true;
  const ChildResult r = run_child({dir.file("scenario-build")}, broken);
  EXPECT_EQ(r.signal, 0) << r.describe();
  EXPECT_EQ(r.exit_code, 0) << r.describe();
  std::vector<std::string> expected = kOutputs;
  expected.push_back("scenario-build");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(list_dir(dir.path()), expected);
}

}  // namespace
}  // namespace scenario::testing

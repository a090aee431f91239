// The one-scenario program end to end: copied into an empty directory and run there.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <thread>
#include <vector>

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

// Unlike the tool's compile, the build writes every file afresh, the same bytes or not.
TEST(ScenarioBuild, WritesItsFilesAfreshEvenWhenTheirBytesAreTheSame) {
  const BuildRun run;
  ASSERT_EQ(run.result.exit_status, 0);
  const struct timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
  for (const std::string& name : kOutputs) {
    ASSERT_EQ(utimensat(AT_FDCWD, run.dir.file(name).c_str(), past, 0), 0) << name;
  }
  ASSERT_EQ(run_process(run.dir.file("scenario-build"), {}, "/").exit_status, 0);
  for (const std::string& name : kOutputs) {
    struct stat st {};
    ASSERT_EQ(stat(run.dir.file(name).c_str(), &st), 0) << name;
    EXPECT_NE(st.st_mtim.tv_sec, 1000000000) << name;
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

// Every file of a directory but the program, by name.
std::map<std::string, std::string> outputs_in(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const std::string& name : list_dir(dir)) {
    if (name != "scenario-build") files[name] = read_file(dir + "/" + name);
  }
  return files;
}

// The build takes no arguments: an argument is a mistake, answered before anything is written.
TEST(ScenarioBuild, ArgumentsAreRefusedBeforeAnythingIsWritten) {
  TempDir dir;
  copy_executable(SCENARIO_BUILD_EXE, dir.file("scenario-build"));
  write_file(dir.file("Lindeva_Querno_40716.sim"), "earlier");
  const std::vector<std::string> cases[] = {{"--help"}, {"-h"}, {"build"}, {""}, {"--help", "x"}};
  for (const auto& args : cases) {
    SCOPED_TRACE(args[0]);
    const ProcessResult r = run_process(dir.file("scenario-build"), args, dir.path());
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("usage: scenario-build", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(outputs_in(dir.path()),
              (std::map<std::string, std::string>{{"Lindeva_Querno_40716.sim", "earlier"}}));
  }
}

// Two builds started together in one directory: the second waits for the first's lock, so
// neither deletes a source the other has not read, and the files are those of a single run.
TEST(ScenarioBuild, ConcurrentRunsInOneDirectoryWaitForEachOther) {
  const BuildRun single;
  ASSERT_EQ(single.result.exit_status, 0);
  const auto reference = outputs_in(single.dir.path());
  TempDir dir;
  copy_executable(SCENARIO_BUILD_EXE, dir.file("scenario-build"));
  for (int pair = 0; pair < 20; ++pair) {
    SCOPED_TRACE("pair " + std::to_string(pair));
    Child first({dir.file("scenario-build")});
    Child second({dir.file("scenario-build")});
    for (Child* c : {&first, &second}) {
      const ChildResult r = c->wait();
      EXPECT_EQ(r.exit_code, 0) << r.describe();
      EXPECT_EQ(r.err, "");
    }
    const auto files = outputs_in(dir.path());
    ASSERT_EQ(files.size(), reference.size());
    for (const auto& [name, bytes] : reference) {
      EXPECT_TRUE(files.count(name) && files.at(name) == bytes) << name;
    }
  }
}

// SIGINT, SIGTERM or SIGHUP at a random moment of a build: the run ends with the shell's status
// for the signal, and the directory holds whole files of a build, no temporary file and no
// source. Every other run starts from an empty directory, the others replace a whole set.
TEST(ScenarioBuild, InterruptedAtAnyMomentLeavesOnlyWholeFiles) {
  const BuildRun single;
  ASSERT_EQ(single.result.exit_status, 0);
  const auto reference = outputs_in(single.dir.path());
  TempDir dir;
  const std::string exe = dir.file("scenario-build");
  copy_executable(SCENARIO_BUILD_EXE, exe);
  // The kills are spread over the time a whole run takes here, start and exit included: the
  // median of five runs, since one run slowed by the machine's other work would send most kills
  // after the builds have ended.
  std::vector<int64_t> runs_us;
  for (int i = 0; i < 5; ++i) {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(run_child({exe}).exit_code, 0);
    runs_us.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count());
  }
  std::sort(runs_us.begin(), runs_us.end());
  const int64_t run_us = runs_us[2];
  std::mt19937 random(20261210);
  std::uniform_int_distribution<int64_t> delay_us(0, run_us + run_us / 4);
  const int signals[] = {SIGINT, SIGTERM, SIGHUP};
  std::map<std::string, int> endings;
  for (int kill_number = 0; kill_number < 120; ++kill_number) {
    const int sig = signals[kill_number % 3];
    SCOPED_TRACE("kill " + std::to_string(kill_number) + ", " + strsignal(sig));
    if (kill_number % 2 == 0) {
      for (const auto& [name, bytes] : outputs_in(dir.path()))
        std::filesystem::remove(dir.file(name));
    }
    Child build({exe});
    std::this_thread::sleep_for(std::chrono::microseconds(delay_us(random)));
    kill(build.pid(), sig);
    const ChildResult r = build.wait();
    // Before main the signal's default ends it (nothing is written yet); after it the handler
    // exits with 128 + the signal; a build that was already done exits 0.
    const bool ended_as_expected =
        r.exit_code == 0 || r.exit_code == 128 + sig || (r.signal == sig && r.exit_code == -1);
    EXPECT_TRUE(ended_as_expected) << r.describe();
    ++endings[r.signal ? "before main" : r.exit_code == 0 ? "finished" : "cleaned up"];
    for (const auto& [name, bytes] : outputs_in(dir.path())) {
      EXPECT_TRUE(reference.count(name) && reference.at(name) == bytes)
          << name << " is not a whole file of a build (" << bytes.size() << " bytes)";
    }
  }
  // The delays must have reached into the builds, not only before or after them.
  EXPECT_GE(endings["cleaned up"], 12)
      << "finished " << endings["finished"] << ", before main " << endings["before main"];
}

}  // namespace
}  // namespace scenario::testing

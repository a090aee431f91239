// An interrupted Windows build: Ctrl-C, sent through GenerateConsoleCtrlEvent to the build's
// console at moments spread over its run, leaves only whole files (this run's or none) and no
// temporary file, and ends it with 130. (Ctrl-Break takes the same path in the handler; wine
// delivers no Ctrl-Break from GenerateConsoleCtrlEvent, so it is not sent here.)
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

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

TEST(InterruptedBuild, CtrlCLeavesOnlyWholeFilesAndNoTemporaries) {
  std::map<std::string, std::string> whole;
  {
    TempDir dir;
    copy_executable(SCENARIO_BUILD_EXE, dir.file("scenario-build.exe"));
    const ChildResult r = run_child({dir.file("scenario-build.exe")});
    ASSERT_EQ(r.exit_code, 0) << r.describe();
    for (const std::string& name : kOutputs) whole[name] = read_file(dir.file(name));
  }
  int interrupted = 0;
  for (int delay_ms : {0, 50, 100, 150, 200, 300, 400, 600, 900}) {
    SCOPED_TRACE("Ctrl-C after " + std::to_string(delay_ms) + " ms");
    TempDir dir;
    copy_executable(SCENARIO_BUILD_EXE, dir.file("scenario-build.exe"));
    const ChildResult r = run_child({SCENARIO_CONSOLE_INTERRUPT_EXE, "c", std::to_string(delay_ms),
                                     dir.file("scenario-build.exe")});
    ASSERT_TRUE(r.exit_code == 130 || r.exit_code == 0) << r.describe();
    if (r.exit_code == 130) ++interrupted;
    for (const std::string& name : list_dir(dir.path())) {
      if (name == "scenario-build.exe") continue;
      // Neither a temporary file nor a source the run had not read back.
      ASSERT_TRUE(whole.count(name)) << name << " left behind";
      EXPECT_EQ(read_file(dir.file(name)), whole[name]) << name << " is not whole";
    }
    if (r.exit_code == 0) EXPECT_EQ(list_dir(dir.path()).size(), kOutputs.size() + 1);
  }
  // The events must have reached some builds, or the test would have shown nothing.
  EXPECT_GT(interrupted, 0);
}

}  // namespace
}  // namespace scenario::testing

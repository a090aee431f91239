// The readers of compiled files pointed at a folder of sources that was never compiled: each
// says to compile it first, with the command, instead of asking for a name.
#include "tool/compiled_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/builtin_compiled.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::builtin_compiled;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

TEST(CompiledFolder, EveryReaderOfCompiledFilesSaysToCompileSourcesFirst) {
  const auto& b = builtin_compiled();
  TempDir src;
  write_file(src.file("Borgo_Test_linea.txt"), read_file(b.dir + "/Lindeva_Querno_linea.txt"));
  write_file(src.file("Borgo_Test_7-.txt"), read_file(b.dir + "/Lindeva_Querno_40716-.txt"));
  TempDir out;
  const std::string expected = src.path() +
                               " holds sources but no compiled files; compile it first: "
                               "scenario-tool compile " +
                               src.path();
  const std::vector<std::vector<std::string>> commands = {
      {SCENARIO_TOOL_EXE, "inspect", src.path()},
      {SCENARIO_TOOL_EXE, "plot", "-o", out.file("p.svg"), src.path()},
      {SCENARIO_TOOL_EXE, "timing", src.path()},
      {SCENARIO_TOOL_EXE, "decompile", "-o", out.file("again"), src.path()},
  };
  for (const auto& argv : commands) {
    SCOPED_TRACE(argv[1]);
    const testing::ChildResult r = testing::run_child(argv);
    EXPECT_EQ(r.exit_code, 1) << r.describe();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "scenario-tool " + argv[1] + ": " + expected + "\n");
  }
  // A folder with compiled files is read as before, sources beside them or not.
  EXPECT_EQ(tool::sources_not_compiled(b.dir), std::nullopt);
  TempDir empty;
  EXPECT_EQ(tool::sources_not_compiled(empty.path()), std::nullopt);
}

}  // namespace
}  // namespace scenario

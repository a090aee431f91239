// Authors' tools running at once: compiles of the same sources into the same directory must
// not see or leave each other's half-written files.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "emitter/emitters.h"
#include "support/child_process.h"
#include "support/emitted.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

TEST(Concurrency, EightCompilesIntoOneDirectoryAllSucceedWithWholeFiles) {
  TempDir root;
  const std::string src = root.file("src");
  std::filesystem::create_directory(src);
  BuildState s = builtin_state(src);
  dati_linea(s);
  dati_treno(s);
  const auto compile_into = [&](const std::string& out) {
    return std::vector<std::string>{SCENARIO_TOOL_EXE, "compile", "-o", out, src};
  };

  const ChildResult single = run_child(compile_into(root.file("single")));
  ASSERT_EQ(single.exit_code, 0) << single.describe();
  const std::vector<std::string> names = list_dir(root.file("single"));
  ASSERT_EQ(names.size(), 3u);
  const std::vector<std::string> sources = list_dir(src);

  // All started before any is waited for; OUTDIR does not exist yet, so they race to make it.
  const std::string out = root.file("shared");
  std::vector<std::unique_ptr<Child>> children;
  for (int i = 0; i < 8; ++i) children.push_back(std::make_unique<Child>(compile_into(out)));
  for (auto& child : children) {
    const ChildResult r = child->wait();
    EXPECT_EQ(r.exit_code, 0) << r.describe();
    EXPECT_EQ(r.err, "");
  }

  EXPECT_EQ(list_dir(out), names);  // no temporary file of any of them is left
  for (const std::string& name : names) {
    EXPECT_TRUE(read_file(out + "/" + name) == read_file(root.file("single/" + name))) << name;
  }
  EXPECT_EQ(list_dir(src), sources);
}

}  // namespace
}  // namespace scenario::testing

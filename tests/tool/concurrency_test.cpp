// Authors' tools running at once: compiles of the same sources into the same directory must
// not see or leave each other's half-written files.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "emitter/emitters.h"
#include "support/child_process.h"
#include "support/emitted.h"
#include "support/scenario_generator.h"
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

// Two scenarios of one identity (routes of 20 and 30 km) compiled four times each, all at once,
// into one directory: each compile holds the directory from its reading to its last file, so
// the three files left are all of one of them, never the curve file of one and the rest of the
// other.
TEST(Concurrency, CompilesOfTwoScenariosIntoOneDirectoryLeaveOneWholeSet) {
  TempDir root;
  const int32_t kms[2] = {20, 30};
  std::vector<std::string> argv[2];
  std::map<std::string, std::string> sets[2];
  for (int i = 0; i < 2; ++i) {
    const std::string src = root.file("src" + std::to_string(i));
    std::filesystem::create_directory(src);
    const GeneratedSources g = generate_scenario(kms[i]);
    write_file(src + "/G_linea.txt", g.line);
    write_file(src + "/G_1-.txt", g.train);
    const std::string alone = root.file("alone" + std::to_string(i));
    const ChildResult r = run_child({SCENARIO_TOOL_EXE, "compile", "-o", alone, src});
    ASSERT_EQ(r.exit_code, 0) << r.describe();
    for (const std::string& name : list_dir(alone)) sets[i][name] = read_file(alone + "/" + name);
    argv[i] = {SCENARIO_TOOL_EXE, "compile", "-o", root.file("shared"), src};
  }
  ASSERT_EQ(sets[0].size(), 3u);
  for (const auto& [name, bytes] : sets[0]) ASSERT_NE(bytes, sets[1].at(name)) << name;

  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::vector<std::unique_ptr<Child>> children;
    for (int i = 0; i < 8; ++i) children.push_back(std::make_unique<Child>(argv[i % 2]));
    for (auto& child : children) {
      const ChildResult r = child->wait();
      EXPECT_EQ(r.exit_code, 0) << r.describe();
    }
    std::map<std::string, std::string> left;
    for (const std::string& name : list_dir(root.file("shared"))) {
      left[name] = read_file(root.file("shared/" + name));
    }
    EXPECT_TRUE(left == sets[0] || left == sets[1]) << "a mixed set of " << left.size() << " files";
  }
}

// The same with --documents: the lock is held until the documents are written, so the folder
// holds the compiled files and the documents of one scenario, never the compiled files of one
// and the sheet of the other.
TEST(Concurrency, CompilesWithDocumentsIntoOneDirectoryLeaveOneScenariosFiveFiles) {
  TempDir root;
  // The long route's documents take longer to compute than the short one's whole compile.
  const int32_t kms[2] = {20, 400};
  std::vector<std::string> argv[2];
  std::map<std::string, std::string> sets[2];
  for (int i = 0; i < 2; ++i) {
    const std::string src = root.file("src" + std::to_string(i));
    std::filesystem::create_directory(src);
    const GeneratedSources g = generate_scenario(kms[i]);
    write_file(src + "/G_linea.txt", g.line);
    write_file(src + "/G_1-.txt", g.train);
    const std::string alone = root.file("alone" + std::to_string(i));
    const ChildResult r =
        run_child({SCENARIO_TOOL_EXE, "compile", "--documents", "-o", alone, src});
    ASSERT_EQ(r.exit_code, 0) << r.describe();
    for (const std::string& name : list_dir(alone)) sets[i][name] = read_file(alone + "/" + name);
    argv[i] = {SCENARIO_TOOL_EXE, "compile", "--documents", "-o", root.file("shared"), src};
  }
  ASSERT_EQ(sets[0].size(), 5u);
  ASSERT_NE(sets[0].at("G_1_scheda_treno.txt"), sets[1].at("G_1_scheda_treno.txt"));

  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::vector<std::unique_ptr<Child>> children;
    for (int i = 0; i < 6; ++i) children.push_back(std::make_unique<Child>(argv[i % 2]));
    for (auto& child : children) {
      const ChildResult r = child->wait();
      EXPECT_EQ(r.exit_code, 0) << r.describe();
    }
    std::map<std::string, std::string> left;
    for (const std::string& name : list_dir(root.file("shared"))) {
      left[name] = read_file(root.file("shared/" + name));
    }
    EXPECT_TRUE(left == sets[0] || left == sets[1]) << "a mixed set of " << left.size() << " files";
  }
}

}  // namespace
}  // namespace scenario::testing

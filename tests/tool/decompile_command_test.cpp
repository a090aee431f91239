// scenario-tool decompile through the executable: sources written, compiled back to the same
// bytes; one line and exit 1 for damaged files, nothing written; an author's sources kept.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

ProcessResult tool(const std::vector<std::string>& args) {
  return run_process(SCENARIO_TOOL_EXE, args);
}

const char* const kCompiled[] = {"Lindeva_Querno_linea.dat", "Lindeva_Querno_40716.sim",
                                 "Lindeva_Querno_40716.dat"};
// In the order list_dir gives them.
const char* const kSources[] = {"Lindeva_Querno_40716-.txt", "Lindeva_Querno_linea.txt"};

// The built-in scenario compiled into out.
struct Compiled {
  TempDir src, out;
  Compiled() {
    EXPECT_EQ(tool({"emit", src.path()}).exit_status, 0);
    EXPECT_EQ(tool({"compile", "-o", out.path(), src.path()}).exit_status, 0);
  }
};

TEST(DecompileCommand, WritesSourcesThatCompileToTheSameFiles) {
  Compiled c;
  TempDir back, again;
  const ProcessResult r = tool({"decompile", "-o", back.path(), c.out.path()});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(list_dir(back.path()),
            std::vector<std::string>(std::begin(kSources), std::end(kSources)));
  ASSERT_EQ(tool({"compile", "-o", again.path(), back.path()}).exit_status, 0);
  for (const char* name : kCompiled) {
    EXPECT_EQ(read_file(again.file(name)), read_file(c.out.file(name))) << name;
  }
  EXPECT_EQ(read_file(back.file(kSources[1])).substr(0, 12), "[generale]\r\n");
}

TEST(DecompileCommand, KeepsAnAuthorsSourcesUnlessForced) {
  Compiled c;
  // Into the directory of the sources themselves: they are there already.
  write_file(c.src.file(kSources[1]), "my own edits\r\n");
  for (const char* name : kCompiled) write_file(c.src.file(name), read_file(c.out.file(name)));
  const ProcessResult r = tool({"decompile", c.src.path()});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "scenario-tool decompile: " + c.src.file(kSources[1]) +
                       ": a source of that name exists; give --force to replace it\n");
  EXPECT_EQ(read_file(c.src.file(kSources[1])), "my own edits\r\n");
  EXPECT_EQ(tool({"decompile", "--force", c.src.path()}).exit_status, 0);
  EXPECT_EQ(read_file(c.src.file(kSources[1])).substr(0, 12), "[generale]\r\n");
}

// Both names are looked at before either source is written: what cannot be replaced leaves the
// pair as it was; with --force a link to a source is written through.
TEST(DecompileCommand, ThePairIsReplacedWholeOrNotAtAll) {
  const std::string line = kSources[1], train = kSources[0];
  const struct {
    const char* what;
    std::function<void(const TempDir&)> stand;  // what stands at the names beforehand
    bool force;
    std::string refused;  // the name refused and why; empty: both written
  } cases[] = {
      {"a folder at the train's name",
       [&](const TempDir& d) {
         write_file(d.file(line), "my own edits\r\n");
         std::filesystem::create_directory(d.file(train));
       },
       true, train + ": not a regular file: not replaced"},
      {"a FIFO at the train's name",
       [&](const TempDir& d) {
         write_file(d.file(line), "my own edits\r\n");
         ASSERT_EQ(mkfifo(d.file(train).c_str(), 0644), 0);
       },
       true, train + ": not a regular file: not replaced"},
      {"a folder at the line's name, unforced",
       [&](const TempDir& d) { std::filesystem::create_directory(d.file(line)); }, false,
       line + ": not a regular file: not replaced"},
      {"a link to nothing at the line's name, unforced",
       [&](const TempDir& d) { std::filesystem::create_symlink(d.file("gone.txt"), d.file(line)); },
       false, line + ": a symbolic link to nothing stands at that name: not replaced"},
      {"a link to nothing at the train's name, forced",
       [&](const TempDir& d) {
         write_file(d.file(line), "my own edits\r\n");
         std::filesystem::create_symlink(d.file("gone.txt"), d.file(train));
       },
       true, train + ": a symbolic link to nothing stands at that name: not replaced"},
      {"both names links to one file",
       [&](const TempDir& d) {
         write_file(d.file("both.txt"), "my own edits\r\n");
         std::filesystem::create_symlink(d.file("both.txt"), d.file(line));
         std::filesystem::create_symlink(d.file("both.txt"), d.file(train));
       },
       true, "both.txt: both sources would be written to this one file: not replaced"},
      {"a link to a source, forced",
       [&](const TempDir& d) {
         write_file(d.file("mine.txt"), "my own edits\r\n");
         std::filesystem::create_symlink(d.file("mine.txt"), d.file(line));
       },
       true, ""},
  };
  Compiled c;
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    TempDir d;
    k.stand(d);
    const auto before = [&] {
      std::vector<std::string> names = list_dir(d.path());
      for (const std::string& n : names) {
        if (std::filesystem::is_regular_file(std::filesystem::symlink_status(d.file(n)))) {
          names.push_back(n + "=" + read_file(d.file(n)));
        }
      }
      return names;
    };
    const std::vector<std::string> was = before();
    std::vector<std::string> args = {"decompile", "-o", d.path(), c.out.path()};
    if (k.force) args.insert(args.begin() + 1, "--force");
    const ProcessResult r = tool(args);
    if (k.refused.empty()) {
      ASSERT_EQ(r.exit_status, 0) << r.err;
      EXPECT_TRUE(std::filesystem::is_symlink(d.file(line)));
      EXPECT_EQ(read_file(d.file("mine.txt")).substr(0, 12), "[generale]\r\n");
      EXPECT_EQ(read_file(d.file(train)).substr(0, 12), "[generale]\r\n");
      EXPECT_EQ(list_dir(d.path()), (std::vector<std::string>{train, line, "mine.txt"}));
      continue;
    }
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "scenario-tool decompile: " + d.path() + "/" + k.refused + "\n");
    EXPECT_EQ(before(), was) << "nothing replaced, nothing added";
  }
}

TEST(DecompileCommand, DamagedFileGivesOneLineAndWritesNothing) {
  Compiled c;
  const std::string dat = c.out.file(kCompiled[2]);
  std::string bytes = read_file(dat);
  bytes.resize(bytes.size() - 7);
  write_file(dat, bytes);
  TempDir back;
  const ProcessResult r = tool({"decompile", "-o", back.file("sub"), c.out.path()});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "scenario-tool decompile: " + dat + ": offset " +
                       std::to_string(bytes.size() / 15 * 15) + ": size " +
                       std::to_string(bytes.size()) +
                       " is not a multiple of 15: the last block has only 8 bytes\n");
  EXPECT_EQ(list_dir(back.path()), std::vector<std::string>{});
}

TEST(DecompileCommand, UsageErrorsExitWithStatus2) {
  TempDir empty;
  for (const std::vector<std::string>& args : {std::vector<std::string>{"decompile"},
                                               {"decompile", "--json", empty.path()},
                                               {"decompile", empty.path()}}) {
    const ProcessResult r = tool(args);
    EXPECT_EQ(r.exit_status, 2) << r.err;
    EXPECT_NE(r.err.find("usage: scenario-tool decompile"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace scenario::testing

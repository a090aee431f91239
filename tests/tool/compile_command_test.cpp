// scenario-tool compile through the executable: outputs, diagnostics, JSON, exit statuses.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "source/field_stream.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

ProcessResult tool(const std::vector<std::string>& args) {
  return run_process(SCENARIO_TOOL_EXE, args);
}

// The built-in scenario's sources in a fresh directory.
struct Sources {
  TempDir dir;
  Sources() { EXPECT_EQ(tool({"emit", dir.path()}).exit_status, 0); }
  std::string line() const { return dir.file("Lindeva_Querno_linea.txt"); }
  std::string train() const { return dir.file("Lindeva_Querno_40716-.txt"); }
};

const char* const kCompiled[] = {"Lindeva_Querno_linea.dat", "Lindeva_Querno_40716.sim",
                                 "Lindeva_Querno_40716.dat"};

TEST(CompileCommand, GivesTheOneScenarioBuildsFilesAndKeepsTheSources) {
  Sources src;
  const std::string line = read_file(src.line()), train = read_file(src.train());
  TempDir out;
  const ProcessResult r = tool({"compile", "-o", out.file("sub"), src.dir.path()});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(read_file(src.line()), line);
  EXPECT_EQ(read_file(src.train()), train);

  TempDir build;
  copy_executable(SCENARIO_BUILD_EXE, build.file("scenario-build"));
  ASSERT_EQ(run_process(build.file("scenario-build"), {}).exit_status, 0);
  for (const char* name : kCompiled) {
    EXPECT_EQ(read_file(out.file(std::string("sub/") + name)), read_file(build.file(name))) << name;
  }
}

TEST(CompileCommand, ReportsAFaultyRowWithItsFileAndLine) {
  Sources src;
  // A second board on the block of the board at 450 m.
  std::string line = read_file(src.line());
  const std::string board = "cartello_indicatore,  450,";
  const size_t at = line.find(board);
  ASSERT_NE(at, std::string::npos);
  line.insert(at, "cartello_indicatore,  460,   (DOPPIO)\r\n");
  write_file(src.line(), line);
  const int row = 1 + static_cast<int>(std::count(line.begin(), line.begin() + at, '\n'));
  const ProcessResult r = tool({"compile", src.dir.path()});
  EXPECT_EQ(r.exit_status, 3);
  // The 460 board comes first now, so the original 450 board is the one refused: its position
  // field is blamed, under the row's text.
  const std::string refused = std::string(FieldStream(std::string(line)).line_text(row + 1));
  EXPECT_EQ(r.err, "Lindeva_Querno_linea.txt:" + std::to_string(row + 1) +
                       ":23: status 6 at 450 m: indication board on a block already taken by "
                       "the indication board at Lindeva_Querno_linea.txt:" +
                       std::to_string(row) +
                       "\n"
                       "    " +
                       refused + "\n" + "                          ^\n");
  EXPECT_EQ(read_file(src.line()), line);  // untouched after a faulty compile too
  EXPECT_TRUE(file_exists(src.train()));
}

TEST(CompileCommand, JsonObjectAndExitStatuses) {
  Sources src;
  const ProcessResult clean = tool({"compile", "--json", src.dir.path()});
  EXPECT_EQ(clean.exit_status, 0);
  EXPECT_EQ(
      clean.out,
      "{\"file\":null,\"line\":null,\"column\":null,\"status\":0,\"errore\":null,"
      "\"position\":null,\"message\":\"no fault\",\"text\":\"\",\"severity\":null,\"name\":null,"
      "\"outputs\":["
      "\"Lindeva_Querno_linea.dat\",\"Lindeva_Querno_40716.sim\",\"Lindeva_Querno_40716.dat\"]}\n");

  TempDir missing;
  write_file(missing.file("X_1-.txt"), "[generale]\r\n");
  const ProcessResult no_line =
      tool({"compile", "--json", "--name", "X", "--train", "1", missing.path()});
  EXPECT_EQ(no_line.exit_status, 3);
  EXPECT_EQ(no_line.out,
            "{\"file\":\"X_linea.txt\",\"line\":null,\"column\":null,\"status\":101,"
            "\"errore\":null,\"position\":null,\"message\":\"no line source file\",\"text\":\"\","
            "\"severity\":\"error\",\"name\":null,\"outputs\":[]}\n");
  EXPECT_EQ(list_dir(missing.path()), std::vector<std::string>{"X_1-.txt"});

  TempDir aborted;
  write_file(
      aborted.file("X_linea.txt"),
      "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\ncartello_indicatore, 0, (A)\r\n");
  write_file(aborted.file("X_1-.txt"), "[generale]\r\n");
  const ProcessResult e = tool({"compile", "--json", aborted.path()});
  EXPECT_EQ(e.exit_status, 1);
  EXPECT_EQ(e.err, " Errore n. 1250\n");
  EXPECT_NE(e.out.find("\"errore\":1250,"), std::string::npos) << e.out;
  EXPECT_NE(e.out.find("\"outputs\":[]}"), std::string::npos) << e.out;
  EXPECT_EQ(list_dir(aborted.path()).size(), 2u);  // no compiled file

  TempDir no_train;
  write_file(no_train.file("X_linea.txt"), "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\n");
  const ProcessResult t = tool({"compile", "--train", "7", no_train.path()});
  EXPECT_EQ(t.exit_status, 3);
  EXPECT_NE(t.err.find("status 25: the source could not be read: cannot open X_7-.txt"),
            std::string::npos)
      << t.err;
  EXPECT_TRUE(file_exists(no_train.file("X_7.sim")));  // the line was read: files written
}

// The modification time of a file in nanoseconds; 0 when it is missing.
int64_t mtime_ns(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return 0;
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// Sets a file's time stamps well in the past, so that a rewrite shows.
void age(const std::string& path) {
  const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// Recompiling into the same folder leaves the files whose bytes did not change as they were,
// time stamp included, and replaces the others with what a compile into a fresh folder gives.
TEST(CompileCommand, RecompilingLeavesFilesWhoseBytesAreTheSameUntouched) {
  Sources src;
  TempDir out;
  ASSERT_EQ(tool({"compile", "-o", out.path(), src.dir.path()}).exit_status, 0);
  for (const char* name : kCompiled) age(out.file(name));
  const ProcessResult same = tool({"compile", "--json", "-o", out.path(), src.dir.path()});
  ASSERT_EQ(same.exit_status, 0) << same.err;
  // The outputs are the compile's files, kept or replaced alike.
  EXPECT_NE(same.out.find("\"outputs\":[\"Lindeva_Querno_linea.dat\",\"Lindeva_Querno_40716.sim\","
                          "\"Lindeva_Querno_40716.dat\"]"),
            std::string::npos)
      << same.out;
  for (const char* name : kCompiled) {
    EXPECT_EQ(mtime_ns(out.file(name)), int64_t{1000000000} * 1000000000) << name;
  }
  EXPECT_EQ(list_dir(out.path()).size(), 3u);

  // A curve turned the other way: the plan changes, the general table does not.
  std::string line = read_file(src.line());
  const size_t curve = line.find("curvad");
  ASSERT_NE(curve, std::string::npos);
  line[curve + 5] = 's';
  write_file(src.line(), line);
  std::map<std::string, std::string> before;
  for (const char* name : kCompiled) before[name] = read_file(out.file(name));
  ASSERT_EQ(tool({"compile", "-o", out.path(), src.dir.path()}).exit_status, 0);
  TempDir fresh;
  ASSERT_EQ(tool({"compile", "-o", fresh.path(), src.dir.path()}).exit_status, 0);
  for (const char* name : kCompiled) {
    SCOPED_TRACE(name);
    const std::string now = read_file(out.file(name));
    EXPECT_TRUE(now == read_file(fresh.file(name)));
    EXPECT_EQ(mtime_ns(out.file(name)) == int64_t{1000000000} * 1000000000, now == before[name]);
  }
  EXPECT_NE(read_file(out.file(kCompiled[0])), before[kCompiled[0]]);
  EXPECT_EQ(read_file(out.file(kCompiled[1])), before[kCompiled[1]]);
}

// A name as long as the compiled files' names allow (NAME_linea.dat and NAME_linea.txt take
// ten bytes more): the temporary files beside them must not be what fails.
TEST(CompileCommand, LongestNamesCompile) {
  Sources src;
  for (const size_t length : {234, 240, 245}) {
    SCOPED_TRACE(length);
    const std::string name(length, 'N');
    TempDir dir;
    write_file(dir.file(name + "_linea.txt"), read_file(src.line()));
    write_file(dir.file(name + "_1-.txt"), read_file(src.train()));
    const ProcessResult r = tool({"compile", "--name", name, "--train", "1", dir.path()});
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(list_dir(dir.path()),
              (std::vector<std::string>{name + "_1-.txt", name + "_1.dat", name + "_1.sim",
                                        name + "_linea.dat", name + "_linea.txt"}));
  }
}

TEST(CompileCommand, UsageErrors) {
  TempDir two;
  write_file(two.file("A_linea.txt"), "");
  write_file(two.file("B_linea.txt"), "");
  const struct {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"compile"}, "SRCDIR is missing"},
      {{"compile", "--bogus", "x"}, "unknown option"},
      {{"compile", two.path()}, "holds 2 line sources: A_linea.txt B_linea.txt"},
      {{"compile", "--name", "../x", "--train", "1", two.path()}, "path separator"},
      {{"compile", "--name", "A", "--train", "", two.path()}, "the train number is empty"},
      {{"compile", "--name", "A", "--train", "a\tb", two.path()}, "control character"},
      {{"compile", "--name", "Citt\xc3\xa0", "--train", "9", two.path()}, "outside ASCII"},
      {{"compile", "--name", "A", two.path()}, "holds 0 train sources"},
      {{"compile", "/no/such/dir"}, "is not a directory"},
      {{"frobnicate"}, "unknown command"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = tool(c.args);
    EXPECT_EQ(r.exit_status, 2) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  // A train number whose track file would take the curve file's name: refused before anything
  // is written, the output directory included.
  Sources src;
  write_file(src.dir.file("Lindeva_Querno_linea-.txt"), read_file(src.train()));
  TempDir parent;
  const std::string out = parent.file("out");
  const ProcessResult clash = tool({"compile", "--train", "linea", "-o", out, src.dir.path()});
  EXPECT_EQ(clash.exit_status, 2);
  EXPECT_NE(clash.err.find("gives two files the name Lindeva_Querno_linea.dat"), std::string::npos)
      << clash.err;
  EXPECT_FALSE(file_exists(out));
  EXPECT_EQ(tool({"check", "--train", "linea", src.dir.path()}).exit_status, 2);
  EXPECT_EQ(tool({"--help"}).exit_status, 0);
  EXPECT_EQ(tool({"--version"}).out.rfind("scenario-tool ", 0), 0u);
}

}  // namespace
}  // namespace scenario::testing

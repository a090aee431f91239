// scenario-tool check: every faulty row in one run, in file order, nothing written.
#include "tool/check_command.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <chrono>
#include <random>

#include "source/control_bytes.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

struct Sources {
  TempDir dir;
  Sources() { EXPECT_EQ(run_process(SCENARIO_TOOL_EXE, {"emit", dir.path()}).exit_status, 0); }
  std::string path(const char* name) const { return dir.file(name); }
  // Replaces the first occurrence of from in a source file.
  void edit(const char* name, const std::string& from, const std::string& to) const {
    std::string text = read_file(path(name));
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    write_file(path(name), text);
  }
};

constexpr const char* kLine = "Lindeva_Querno_linea.txt";
constexpr const char* kTrain = "Lindeva_Querno_40716-.txt";

TEST(CheckCommand, ListsThreeIndependentFaultsInFileOrder) {
  Sources src;
  src.edit(kLine, "cartello_indicatore,  2400,",
           "cartello_indicatore,  460,   (X)\r\ncartello_indicatore,  2400,");
  src.edit(kTrain, "stazione,    4700,", "stazione,     750,");
  src.edit(kTrain, "segnale,    5250,",
           "segnale,    5250,   1, 4, 0,  0, 0,    0,  0,0,0, 0\r\nsegnale,    5250,");
  const std::string line = read_file(src.path(kLine)), train = read_file(src.path(kTrain));
  const auto before = list_dir(src.dir.path());

  const auto faults = tool::check_sources(src.dir.path(), {"Lindeva_Querno", "40716"});
  ASSERT_EQ(faults.size(), 3u);
  EXPECT_EQ(diagnostic_text(faults[0]),
            "Lindeva_Querno_linea.txt:235:23: status 6 at 460 m: indication board on a block "
            "already taken by the indication board at Lindeva_Querno_linea.txt:234\n"
            "    cartello_indicatore,  460,   (X)\n"
            "                          ^\n");
  EXPECT_EQ(faults[1].file, kTrain);
  EXPECT_EQ(faults[1].code, 22);
  EXPECT_EQ(faults[1].position, 750);
  EXPECT_EQ(faults[1].column, 15);
  EXPECT_EQ(faults[2].code, 16);
  EXPECT_LT(faults[1].line, faults[2].line);
  // Nothing written, nothing touched.
  EXPECT_EQ(list_dir(src.dir.path()), before);
  EXPECT_EQ(read_file(src.path(kLine)), line);
  EXPECT_EQ(read_file(src.path(kTrain)), train);

  const ProcessResult r = run_process(SCENARIO_TOOL_EXE, {"check", src.dir.path()});
  EXPECT_EQ(r.exit_status, 3);
  // The board at 460 m also stands between two blocks, and the second signal at 5250 m does not
  // come after the first: two warnings beside the faults.
  EXPECT_NE(r.out.find("3 faults and 2 warnings found"), std::string::npos) << r.out;
  const ProcessResult j = run_process(SCENARIO_TOOL_EXE, {"check", "--json", src.dir.path()});
  EXPECT_EQ(j.exit_status, 3);
  EXPECT_EQ(j.out.rfind("[{\"file\":\"Lindeva_Querno_linea.txt\",\"line\":235,\"column\":23,"
                        "\"status\":6,\"errore\":null,\"position\":460,",
                        0),
            0u)
      << j.out;
}

TEST(CheckCommand, TheBuiltInScenarioIsClean) {
  Sources src;
  const ProcessResult r = run_process(SCENARIO_TOOL_EXE, {"check", src.dir.path()});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(run_process(SCENARIO_TOOL_EXE, {"check", "--json", src.dir.path()}).out, "[]\n");
}

TEST(CheckCommand, CompilerCodesNameTheRowThatPlacedTheItem) {
  TempDir dir;
  write_file(
      dir.file("T_linea.txt"),
      "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\ncartello_indicatore, 3450, (A)\r\n"
      "cartello_indicatore, 3500, (B)\r\ncartello_indicatore, 3550, (C)\r\n");
  write_file(dir.file("T_1-.txt"), "[generale]\r\nrallentamento, 3800, 120, 200, 0, 0, 0\r\n");
  const auto faults = tool::check_sources(dir.path(), {"T", "1"});
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0].code, 12);
  EXPECT_EQ(faults[0].file, "T_1-.txt");
  EXPECT_EQ(faults[0].line, 2);
}

// Rows that put an item on block 1 take a field the compiler stamps: compile ends with errore,
// and check names each such row as a fault of its own.
TEST(CheckCommand, ARowThatTakesAReservedFieldIsAFaultOfThatRow) {
  const std::string line_head = "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\n";
  struct Case {
    const char* what;
    std::string line_rows;
    std::string train_rows;
    int32_t errore;
    const char* file;
    int32_t line;
  } cases[] = {
      {"speed board at 0", "indicatori_vmax,  0,  30,30,30,0,,,,0\r\n", "", 1250, "T_linea.txt", 4},
      {"code-cut point on block 1", "", "abbattimento, 50, 5\r\n", 1250, "T_1-.txt", 2},
      {"signal at 0", "", "segnale, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0\r\n", 1251, "T_1-.txt", 2},
      {"board at -1", "cartello_indicatore, -1, (A)\r\n", "", 1250, "T_linea.txt", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    write_file(dir.file("T_linea.txt"), line_head + c.line_rows + "[fine]\r\n");
    write_file(dir.file("T_1-.txt"), "[generale]\r\n" + c.train_rows + "[fine]\r\n");
    // compile stops with the errore ...
    const ProcessResult compiled =
        run_process(SCENARIO_TOOL_EXE, {"compile", "-o", dir.file("out"), dir.path()});
    EXPECT_EQ(compiled.exit_status, 1);
    EXPECT_EQ(compiled.err, " Errore n. " + std::to_string(c.errore) + "\n");
    // ... and check names the row, then finds the rest clean once it is set aside.
    const auto faults = tool::check_sources(dir.path(), {"T", "1"});
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].kind, Diagnostic::Kind::kErrore);
    EXPECT_EQ(faults[0].code, c.errore);
    EXPECT_EQ(faults[0].file, c.file);
    EXPECT_EQ(faults[0].line, c.line);
    EXPECT_GT(faults[0].column, 0);
    const ProcessResult r = run_process(SCENARIO_TOOL_EXE, {"check", dir.path()});
    EXPECT_EQ(r.exit_status, 3);
    const std::string head = std::string(c.file) + ":" + std::to_string(c.line) + ":";
    EXPECT_EQ(r.out.rfind(head, 0), 0u) << r.out;
    EXPECT_NE(r.out.find("errore " + std::to_string(c.errore) + ": "), std::string::npos) << r.out;
  }
}

TEST(CheckCommand, AFaultWithoutARowEndsTheList) {
  TempDir dir;
  write_file(dir.file("T_1-.txt"), "[generale]\r\n");
  const auto faults = tool::check_sources(dir.path(), {"T", "1"});
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0].code, 101);
  // A hundred faulty rows stop at the limit.
  std::string rows;
  for (int i = 0; i < 150; ++i) rows += "pendenza, x" + std::to_string(i) + ", 1\r\n";
  write_file(dir.file("T_linea.txt"),
             "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\n" + rows);
  EXPECT_EQ(tool::check_sources(dir.path(), {"T", "1"}).size(), 100u);
}

// A fault of the whole line source is one fault, reported once: the rows are not to blame, and
// setting them aside one by one would only find the same fault again.
TEST(CheckCommand, AFaultOfTheWholeFileIsReportedOnce) {
  std::string rows;
  for (int i = 0; i < 300; ++i) rows += "pendenza, " + std::to_string(100 * i) + ", 1\r\n";
  std::mt19937 random(14);
  std::string noise(1 << 20, '\0');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  for (const std::string& line : {rows, noise}) {
    TempDir dir;
    write_file(dir.file("T_linea.txt"), line);
    write_file(dir.file("T_1-.txt"), "[generale]\r\n");
    const auto faults = tool::check_sources(dir.path(), {"T", "1"});
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(diagnostic_text(faults[0]),
              "T_linea.txt: status 102: no [generale] section in the line source\n");
    // One compile: as fast as compile itself, where a compile per line took seconds.
    const auto started = std::chrono::steady_clock::now();
    const ProcessResult r = run_process(SCENARIO_TOOL_EXE, {"check", dir.path()});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(r.exit_status, 3);
    const std::string fault = "T_linea.txt: status 102: no [generale] section in the line source\n";
    EXPECT_NE(r.out.find(fault), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(fault), r.out.rfind(fault));
    // The noise's warnings (bytes that are no text) quote it with its control bytes escaped.
    EXPECT_TRUE(r.out.ends_with("\n1 fault found\n") ||
                r.out.find("\n1 fault and ") != std::string::npos);
    EXPECT_EQ(std::count_if(r.out.begin(), r.out.end(),
                            [](char c) { return is_control_byte(c) && c != '\n' && c != '\t'; }),
              0);
    EXPECT_LT(took.count(), 10.0);
  }
}

// An empty source is named as empty, whichever of the two it is.
TEST(CheckCommand, AnEmptySourceIsNamedAsEmpty) {
  for (const char* empty : {kLine, kTrain}) {
    SCOPED_TRACE(empty);
    Sources s;
    write_file(s.path(empty), "\r\n  \r\n");
    const auto faults = tool::check_sources(s.dir.path(), {"Lindeva_Querno", "40716"});
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(diagnostic_text(faults[0]),
              std::string(empty) +
                  ": status 25: the source could not be read: the file is empty; a source starts "
                  "with its [generale] section (scenario-tool emit writes a pair of sources to "
                  "start from)\n");
  }
}

// The row quoted under a fault shows its control bytes escaped, as the message does: a source
// must not retitle or clear the author's terminal.
TEST(CheckCommand, TheQuotedRowSendsNoControlBytes) {
  TempDir dir;
  write_file(dir.file("T_linea.txt"),
             "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\n"
             "cartello_indicatore, 450, (A)\r\n"
             "cartello_indicatore, 460, \x1b]0;TITLE\x07\x1b[2J(B)\r\n");
  write_file(dir.file("T_1-.txt"), "[generale]\r\n");
  const ProcessResult r = run_process(SCENARIO_TOOL_EXE, {"check", dir.path()});
  EXPECT_EQ(r.exit_status, 3);
  EXPECT_EQ(r.out,
            "T_linea.txt:5:22: status 6 at 460 m: indication board on a block already taken by "
            "the indication board at T_linea.txt:4\n"
            "    cartello_indicatore, 460, \\x1B]0;TITLE\\x07\\x1B[2J(B)\n"
            "                         ^\n"
            "T_linea.txt:5:22: warning: 460 m is not a multiple of 50: the reader places it at 450 "
            "m [rounded-value]\n"
            "    cartello_indicatore, 460, \\x1B]0;TITLE\\x07\\x1B[2J(B)\n"
            "                         ^\n"
            "T_linea.txt:5:27: warning: byte 0x1B is no Windows-1252 text (a control byte or one "
            "the code page leaves undefined) [not-cp1252]\n"
            "    cartello_indicatore, 460, \\x1B]0;TITLE\\x07\\x1B[2J(B)\n"
            "                              ^\n"
            "1 fault and 2 warnings found\n");
}

TEST(CheckCommand, WarningsKeepTheExitStatusUnlessMadeFatal) {
  TempDir dir;
  write_file(dir.file("T_linea.txt"),
             "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\npendanza, 400, 2\r\n"
             "pendenza, 800, 3, 7\r\n[fine]\r\n");
  write_file(dir.file("T_1-.txt"), "[generale]\r\nvelocita, 0, 97\r\n[fine]\r\n");
  const ProcessResult plain = run_process(SCENARIO_TOOL_EXE, {"check", dir.path()});
  EXPECT_EQ(plain.exit_status, 0);
  EXPECT_EQ(plain.out.rfind("T_linea.txt:4:1: warning: 'pendanza' names no row kind", 0), 0u)
      << plain.out;
  EXPECT_NE(plain.out.find("T_linea.txt:5:19: warning: "), std::string::npos) << plain.out;
  EXPECT_NE(plain.out.find("T_1-.txt:2:14: warning: a speed limit of 97 km/h"), std::string::npos)
      << plain.out;
  EXPECT_NE(plain.out.find("\n3 warnings found\n"), std::string::npos) << plain.out;

  const struct {
    std::vector<std::string> options;
    int status;
    const char* first_line;  // of standard output
  } cases[] = {
      {{"--werror"}, 3, "T_linea.txt:4:1: warning:"},
      {{"--no-warn=unknown-keyword", "--no-warn", "field-count"}, 0, "T_1-.txt:2:14: warning:"},
      {{"--no-warn=unknown-keyword", "--no-warn=field-count", "--no-warn=rounded-value",
        "--werror"},
       0,
       ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"check"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(dir.path());
    const ProcessResult r = run_process(SCENARIO_TOOL_EXE, args);
    EXPECT_EQ(r.exit_status, c.status) << r.out;
    EXPECT_EQ(r.out.rfind(c.first_line, 0), 0u) << r.out;
  }
  const ProcessResult unknown =
      run_process(SCENARIO_TOOL_EXE, {"check", "--no-warn=spelling", dir.path()});
  EXPECT_EQ(unknown.exit_status, 2);
  EXPECT_NE(unknown.err.find("no warning is called 'spelling'; the warnings are unknown-keyword,"),
            std::string::npos)
      << unknown.err;
  const ProcessResult j = run_process(SCENARIO_TOOL_EXE, {"check", "--json", dir.path()});
  EXPECT_EQ(j.exit_status, 0);
  // The misspelt keyword's one fix, the nearest keyword over the misspelt one.
  EXPECT_NE(j.out.find("\"severity\":\"warning\",\"name\":\"unknown-keyword\",\"fix\":{\"title\":"
                       "\"write 'pendenza'\",\"line\":4,\"column\":1,\"end_line\":4,"
                       "\"end_column\":9,\"text\":\"pendenza\"}}"),
            std::string::npos)
      << j.out;
}

// A row that finds its block taken names what holds it: another row, or the warning point and
// pre-warning run that a slowdown places 1200 m before itself, which no row names.
TEST(CheckCommand, ABlockTakenNamesWhatHoldsIt) {
  const std::string line_head = "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\n";
  const std::string station =
      "stazione, 3000, 12, 700, 0, 0, 0, 1,1,0, 4,1,1, 1, 6,55, 0, PIANELLO\r\n";
  const struct {
    const char* what;
    std::string line_rows, train_rows;
    const char* says;
  } cases[] = {
      {"board on a speed board",
       "indicatori_vmax, 450, 60,60,60,0, ,,,0\r\ncartello_indicatore, 460, (A)\r\n", "",
       "status 6 at 460 m: indication board on a block already taken by the speed board at "
       "T_linea.txt:4"},
      {"signal on a signal", "",
       "segnale, 2900, 1, 3,1,0,0,1,5,6,0,0\r\nsegnale, 2910, 1, 3,1,0,0,1,5,6,0,0\r\n",
       "status 16 at 2910 m: signal on a block already taken by the signal at T_1-.txt:2"},
      {"signal on a slowdown's warning", "",
       "rallentamento, 6000, 60, 400, 0, 1, 60\r\nsegnale, 4800, 1, 3,1,0,0,1,5,6,0,0\r\n",
       "status 16 at 4800 m: signal on a block already taken by the warning point placed 1200 m "
       "before the slowdown at T_1-.txt:2"},
      {"signal on a pre-warning run", "",
       "rallentamento, 6000, 60, 400, 0, 1, 60\r\nsegnale, 4700, 1, 3,1,0,0,1,5,6,0,0\r\n",
       "by the pre-warning run placed before the warning point of the slowdown at T_1-.txt:2"},
      {"slowdown on a stop marker", "", station + "rallentamento, 3250, 60, 400, 0, 0, 60\r\n",
       "status 18 at 3250 m: slowdown start block already taken by the stop marker of PIANELLO at "
       "T_1-.txt:2"},
      {"station listed out of order", "",
       station + "stazione, 2000, 25, 300, 0, 0, 0, 0,1,0, 2,0,0, 0, 0,0, 0, BORGO\r\n",
       "status 22 at 2000 m: station area starts less than 350 m after the previous station's: "
       "listed after PIANELLO at T_1-.txt:2, whose area ends at 3350 m; this one's starts at "
       "1850 m"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    write_file(dir.file("T_linea.txt"), line_head + c.line_rows + "[fine]\r\n");
    write_file(dir.file("T_1-.txt"), "[generale]\r\n" + c.train_rows + "[fine]\r\n");
    const auto faults = tool::check_sources(dir.path(), {"T", "1"});
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_NE(diagnostic_text(faults[0]).find(c.says), std::string::npos)
        << diagnostic_text(faults[0]);
  }
}

TEST(CheckCommand, AnIdentityThatMissesSaysWhatTheFolderHolds) {
  Sources src;
  TempDir empty;
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"check", "--name", "Lindeva_Qurneo", src.dir.path()},
       "no line source Lindeva_Qurneo_linea.txt in " + src.dir.path() +
           "; it holds Lindeva_Querno_linea.txt\n"},
      {{"check", "--name", "Lindeva_Qurneo", empty.path()},
       "no line source Lindeva_Qurneo_linea.txt in " + empty.path() +
           "; it holds no line source\n"},
      {{"check", empty.path()},
       empty.path() + " holds no sources: a scenario's line source is NAME_linea.txt"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = run_process(SCENARIO_TOOL_EXE, c.args);
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  // With the train given too, the missing source is a fault of the check, worded the same.
  const ProcessResult r = run_process(
      SCENARIO_TOOL_EXE, {"check", "--name", "Lindeva_Qurneo", "--train", "40716", src.dir.path()});
  EXPECT_EQ(r.exit_status, 3);
  EXPECT_EQ(r.out, "Lindeva_Qurneo_linea.txt: status 101: no line source file; " + src.dir.path() +
                       " holds Lindeva_Querno_linea.txt\n1 fault found\n");
}

}  // namespace
}  // namespace scenario::testing

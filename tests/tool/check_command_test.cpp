// scenario-tool check: every faulty row in one run, in file order, nothing written.
#include "tool/check_command.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace scenario::testing

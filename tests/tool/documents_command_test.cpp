// scenario-tool documents and compile --documents through the executable: the two files, their
// names and line form, from compiled files and from sources; usage and input errors.
#include <gtest/gtest.h>

#include "support/run_process.h"
#include "support/scenario_generator.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

ProcessResult tool(const std::vector<std::string>& args) {
  return run_process(SCENARIO_TOOL_EXE, args);
}

const char* const kSheet = "Lindeva_Querno_40716_scheda_treno.txt";
const char* const kOrder = "Lindeva_Querno_40716_rallentamenti.txt";

// The file's lines; each must end in CR LF, the last included.
std::vector<std::string> text_lines(const std::string& bytes) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "a line feed without CR at " << i;
      lines.emplace_back();
    } else if (bytes[i] != '\r') {
      lines.back() += bytes[i];
    }
    if (bytes[i] == '\r') {
      EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n');
    }
  }
  EXPECT_TRUE(bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n");
  lines.pop_back();
  return lines;
}

TEST(DocumentsCommand, CompileWritesTheTwoDocumentsBesideTheCompiledFiles) {
  TempDir src, out;
  ASSERT_EQ(tool({"emit", src.path()}).exit_status, 0);
  // Only the two sources: the emitted hand-written documents must not be mistaken for ours.
  for (const std::string& f : list_dir(src.path())) {
    if (f.find("-.txt") == std::string::npos && f.find("_linea.txt") == std::string::npos) {
      std::remove(src.file(f).c_str());
    }
  }
  const ProcessResult r = tool({"compile", "--documents", "-o", out.path(), src.path()});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  // The default model cannot keep the last section: said, and the documents still written.
  EXPECT_EQ(r.err,
            "scenario-tool compile: warning: the section POGGIO SERENTE - QUERNO cannot be kept: "
            "its margin is -1.5 min; the computed times within it are squeezed to meet the "
            "scheduled one\n");
  EXPECT_EQ(list_dir(out.path()),
            (std::vector<std::string>{"Lindeva_Querno_40716.dat", "Lindeva_Querno_40716.sim",
                                      kOrder, kSheet, "Lindeva_Querno_linea.dat"}));
  const auto sheet = text_lines(read_file(out.file(kSheet)));
  ASSERT_GT(sheet.size(), 16u);
  EXPECT_EQ(sheet[4].substr(0, 22), " |   TRENO n.40716   |");
  EXPECT_EQ(sheet[17].substr(30, 10), "| LINDEVA ");
  EXPECT_EQ(text_lines(read_file(out.file(kOrder))).size(), 32u);

  // documents on the compiled files gives the same two files.
  TempDir again;
  const ProcessResult d = tool({"documents", "-o", again.path(), out.path()});
  ASSERT_EQ(d.exit_status, 0) << d.err;
  EXPECT_EQ(d.out, again.file(kSheet) + "\n" + again.file(kOrder) + "\n");
  EXPECT_EQ(read_file(again.file(kSheet)), read_file(out.file(kSheet)));
  EXPECT_EQ(read_file(again.file(kOrder)), read_file(out.file(kOrder)));

  // A slower locomotive changes the computed times but not the scheduled ones.
  const ProcessResult slow = tool({"documents", "--power", "1500", "-o", again.path(), out.path()});
  ASSERT_EQ(slow.exit_status, 0) << slow.err;
  EXPECT_NE(read_file(again.file(kSheet)), read_file(out.file(kSheet)));
}

TEST(DocumentsCommand, FromSourcesCompiledInMemoryWritingNothingElse) {
  TempDir src;
  const GeneratedSources g = generate_scenario(20);
  write_file(src.file("Route_linea.txt"), g.line);
  write_file(src.file("Route_1-.txt"), g.train);
  const ProcessResult r = tool({"documents", src.path()});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(list_dir(src.path()),
            (std::vector<std::string>{"Route_1-.txt", "Route_1_rallentamenti.txt",
                                      "Route_1_scheda_treno.txt", "Route_linea.txt"}));
  EXPECT_EQ(read_file(src.file("Route_1-.txt")), g.train);
}

TEST(DocumentsCommand, CompileSaysWhenTheRunCannotBeComputed) {
  // No adhesion row: the locomotive's wheels have no grip, and the train cannot start.
  TempDir src;
  write_file(src.file("T_linea.txt"),
             "[generale]\r\nlunghezza percorso,  20000\r\n[curve]\r\n[fine]\r\n");
  write_file(src.file("T_1-.txt"),
             "[generale]\r\npercentuale massa frenata,  100\r\n[vel_limite]\r\nvelocita,  0,  "
             "100\r\n[stazioni]\r\nstazione,  50,  12,  700,  0, 0, 0,  1,1,0,  4,1,1,  1,  "
             "6,0,0,  A\r\nstazione,  19000,  6,  800,  1, 0, 0,  1,1,0,  4,1,1,  0,  6,25,0,  "
             "C\r\n[fine]\r\n");
  const ProcessResult r = tool({"compile", "--documents", "--json", src.path()});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_NE(r.err.find("the documents are not written: the run cannot be computed: the train "
                       "stalls"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.out.find("\"outputs\":[\"T_linea.dat\",\"T_1.sim\",\"T_1.dat\"]"), std::string::npos)
      << r.out;
  EXPECT_TRUE(file_exists(src.file("T_1.sim")));
  EXPECT_FALSE(file_exists(src.file("T_1_scheda_treno.txt")));
}

TEST(DocumentsCommand, ErrorsAndUsage) {
  TempDir empty, faulty;
  EXPECT_EQ(tool({"documents"}).exit_status, 2);
  EXPECT_EQ(tool({"documents", "--power"}).exit_status, 2);
  EXPECT_EQ(tool({"documents", "--loco-mass", "0", empty.path()}).exit_status, 2);
  // A value that leaves no finite time is refused by name, before anything is read.
  const ProcessResult slow = tool({"documents", "--max-speed", "1e-300", empty.path()});
  EXPECT_EQ(slow.exit_status, 2);
  EXPECT_EQ(slow.err.rfind("scenario-tool documents: --max-speed must be from 5 to 500", 0), 0u)
      << slow.err;
  const ProcessResult none = tool({"documents", empty.path()});
  EXPECT_EQ(none.exit_status, 2);
  EXPECT_NE(none.err.find("usage: scenario-tool documents"), std::string::npos);
  // Sources with a fault (a station off the 50 m grid): nothing is written.
  const GeneratedSources g = generate_scenario(20);
  std::string train = g.train;
  const size_t at = train.find("stazione,");
  ASSERT_NE(at, std::string::npos);
  const size_t comma = train.find(',', at + 9);
  train.replace(at + 9, comma - at - 9, "  1234");
  write_file(faulty.file("Route_linea.txt"), g.line);
  write_file(faulty.file("Route_1-.txt"), train);
  const ProcessResult bad = tool({"documents", faulty.path()});
  EXPECT_EQ(bad.exit_status, 3) << bad.err;
  EXPECT_NE(bad.err.find("nothing written"), std::string::npos);
  EXPECT_EQ(list_dir(faulty.path()).size(), 2u);
  const ProcessResult help = tool({"documents", "--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.out.find("--loco-mass"), std::string::npos);
}

}  // namespace
}  // namespace scenario::testing

// scenario-tool fmt through the executable: the compiled files of formatted sources are the
// same bytes, --check, rewriting in place, and the errors.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "support/odd_spacing.h"
#include "support/run_process.h"
#include "support/scenario_generator.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

ProcessResult tool(const std::vector<std::string>& args) {
  return run_process(SCENARIO_TOOL_EXE, args);
}

struct Scenario {
  std::string label, line, train;
};

// What compile makes of a scenario: its exit status, its report and the compiled files.
struct Build {
  int status = -1;
  std::string err;
  std::vector<std::string> files;
};

Build compile_in(const TempDir& dir) {
  const ProcessResult r =
      tool({"compile", "--name", "S", "--train", "1", "-o", dir.file("out"), dir.path()});
  Build b{r.exit_status, r.err, {}};
  for (const char* name : {"S_linea.dat", "S_1.sim", "S_1.dat"}) {
    const std::string path = dir.file(std::string("out/") + name);
    b.files.push_back(file_exists(path) ? read_file(path) : "(missing)");
  }
  return b;
}

void replace_once(std::string& text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
}

// The built-in scenario as an author might have typed it: odd blanks, a note before the header,
// comments, a row run on over two lines, a quoted board text, a keyword in capitals, blank
// lines, and a quote after the end that stops the formatter.
Scenario hand_typed() {
  Scenario s{"hand-typed", odd_spacing(builtin_line_source(), 11),
             odd_spacing(builtin_train_source(), 12)};
  s.line = "Linea di prova, bozza 3 \r\n" + s.line;
  replace_once(s.line, "lunghezza", "- valori generali -\n   \nlunghezza");
  replace_once(s.line, "1300", "\r\n 1300");
  replace_once(s.line, "(CAVALCAVIA)", "\"(CAVALCAVIA, NUOVO)\"  ");
  replace_once(s.line, "pendenza", "\t\r\nPENDENZA");
  s.line += "note finali, nessuna\r\nancora \"aperto, 1\r\n";
  replace_once(s.train, "[stazioni]", "-----------\r\n[stazioni]\r\n-- fermate --");
  replace_once(s.train, "LINDEVA", "\"LINDEVA, CENTRALE\"\t ");
  return s;
}

// The first line of a report with the column left out: "FILE:LINE: status N at P m: ...".
std::string status_line(const std::string& err) {
  const std::string first = err.substr(0, err.find('\n'));
  return std::regex_replace(first, std::regex("^([^:]*:[0-9]+):[0-9]+:"), "$1:");
}

TEST(FmtCommand, FormattedSourcesCompileToTheSameBytes) {
  std::vector<Scenario> scenarios = {
      {"built-in", builtin_line_source(), builtin_train_source()},
      {"respaced", odd_spacing(builtin_line_source(), 3), odd_spacing(builtin_train_source(), 4)},
      hand_typed(),
  };
  for (const int km : {20, 250}) {
    const testing::GeneratedSources g = testing::generate_scenario(km);
    scenarios.push_back({"generated " + std::to_string(km) + " km", g.line, g.train});
  }
  // A faulty one: a second board on the block of the board at 450 m.
  Scenario faulty = scenarios[1];
  faulty.label = "faulty";
  replace_once(faulty.line, "cartello_indicatore",
               "cartello_indicatore, 460 ,(DOPPIO)\ncartello_indicatore");
  scenarios.push_back(faulty);

  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.label);
    TempDir as_typed, formatted;
    for (const TempDir* d : {&as_typed, &formatted}) {
      write_file(d->file("S_linea.txt"), s.line);
      write_file(d->file("S_1-.txt"), s.train);
    }
    const ProcessResult f =
        tool({"fmt", formatted.file("S_linea.txt"), formatted.file("S_1-.txt")});
    ASSERT_EQ(f.exit_status, 0) << f.err;
    const bool emitted_form = s.label == "built-in";
    EXPECT_EQ(read_file(formatted.file("S_linea.txt")) == s.line, emitted_form);
    // The emitted train source differs only by the blank after the clock's last number.
    if (emitted_form) {
      EXPECT_EQ(read_file(formatted.file("S_1-.txt")), formatted_builtin_train_source());
    }
    EXPECT_NE(read_file(formatted.file("S_1-.txt")), s.train);

    const Build before = compile_in(as_typed);
    const Build after = compile_in(formatted);
    EXPECT_EQ(before.status, s.label == "faulty" ? 3 : 0) << before.err;
    EXPECT_EQ(after.status, before.status);
    // The row echoed under a report shows the blanks as written, so only the status line's
    // file, line and message must agree.
    EXPECT_EQ(status_line(after.err), status_line(before.err));
    ASSERT_EQ(after.files.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_GT(before.files[i].size(), 1000u);
      EXPECT_TRUE(after.files[i] == before.files[i]) << "compiled file " << i << " differs";
    }
  }
}

TEST(FmtCommand, CheckListsTheFilesThatWouldChangeAndWritesNothing) {
  TempDir dir;
  const std::string clean = builtin_line_source();
  const std::string odd = odd_spacing(builtin_train_source(), 5);
  write_file(dir.file("A_linea.txt"), clean);
  write_file(dir.file("A_1-.txt"), odd);
  std::filesystem::permissions(dir.file("A_1-.txt"), std::filesystem::perms(0640));

  const ProcessResult check =
      tool({"fmt", "--check", dir.file("A_linea.txt"), dir.file("A_1-.txt")});
  EXPECT_EQ(check.exit_status, 1);
  EXPECT_EQ(check.out, dir.file("A_1-.txt") + "\n");
  EXPECT_EQ(check.err, "");
  EXPECT_EQ(read_file(dir.file("A_1-.txt")), odd);

  const ProcessResult rewrite = tool({"fmt", dir.file("A_linea.txt"), dir.file("A_1-.txt")});
  EXPECT_EQ(rewrite.exit_status, 0) << rewrite.err;
  EXPECT_EQ(rewrite.out, "");
  EXPECT_EQ(read_file(dir.file("A_1-.txt")), formatted_builtin_train_source());
  EXPECT_EQ(std::filesystem::status(dir.file("A_1-.txt")).permissions(),
            std::filesystem::perms(0640));
  EXPECT_EQ(list_dir(dir.path()), (std::vector<std::string>{"A_1-.txt", "A_linea.txt"}));

  // Through a link, the file it names is rewritten and the link stays a link.
  write_file(dir.file("A_1-.txt"), odd);
  std::filesystem::create_symlink(dir.file("A_1-.txt"), dir.file("L_1-.txt"));
  EXPECT_EQ(tool({"fmt", dir.file("L_1-.txt")}).exit_status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("L_1-.txt")));
  EXPECT_EQ(read_file(dir.file("A_1-.txt")), formatted_builtin_train_source());

  const ProcessResult again =
      tool({"fmt", "--check", dir.file("A_linea.txt"), dir.file("A_1-.txt")});
  EXPECT_EQ(again.exit_status, 0);
  EXPECT_EQ(again.out, "");

  // An editor that trims trailing blanks leaves a file that passes; the emitter's blank after
  // the clock's last number is one fmt would take away.
  write_file(dir.file("T_1-.txt"), formatted_builtin_train_source());
  EXPECT_EQ(tool({"fmt", "--check", dir.file("T_1-.txt")}).exit_status, 0);
  write_file(dir.file("T_1-.txt"), builtin_train_source());
  EXPECT_EQ(tool({"fmt", "--check", dir.file("T_1-.txt")}).out, dir.file("T_1-.txt") + "\n");
}

TEST(FmtCommand, ErrorsAndUsage) {
  TempDir dir;
  write_file(dir.file("notes.txt"), "x\n");
  write_file(dir.file("B_linea.txt"), "[generale]\nlunghezza percorso,1\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"fmt"},
       2,
       "scenario-tool fmt: FILE is missing\nusage: scenario-tool fmt [--check] FILE...\n"},
      {{"fmt", "--diff", dir.file("B_linea.txt")},
       2,
       "scenario-tool fmt: unknown option '--diff'\nusage: scenario-tool fmt [--check] FILE...\n"},
      {{"fmt", dir.file("notes.txt")},
       1,
       "scenario-tool fmt: " + dir.file("notes.txt") +
           ": not a source name: a line source ends in _linea.txt, a train source in -.txt\n"},
      {{"fmt", dir.file("none_linea.txt")},
       1,
       "scenario-tool fmt: " + dir.file("none_linea.txt") + ": No such file or directory\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const ProcessResult r = tool(c.args);
    EXPECT_EQ(r.exit_status, c.status);
    EXPECT_EQ(r.err, c.err);
  }
  // A failing file does not stop the others.
  const ProcessResult mixed = tool({"fmt", dir.file("notes.txt"), dir.file("B_linea.txt")});
  EXPECT_EQ(mixed.exit_status, 1);
  EXPECT_EQ(read_file(dir.file("B_linea.txt")), "[generale]\r\nlunghezza percorso,    1\r\n");

  // A file longer than a source may be is refused before it is read (sparse: no disk used).
  {
    const std::string huge = dir.file("H_linea.txt");
    write_file(huge, "[generale]\n");
    ASSERT_EQ(truncate(huge.c_str(), (off_t{64} << 20) + 1), 0);
    const ProcessResult r = tool({"fmt", huge});
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "scenario-tool fmt: " + huge +
                         ": larger than 64 MiB; a source is refused before it is read\n");
    EXPECT_EQ(std::filesystem::file_size(huge), (uintmax_t{64} << 20) + 1);
  }

  // A quote that may run on is told with its line, and the rest is left as it stands.
  write_file(dir.file("C_1-.txt"), "[generale]\nsabbia,1\nstazione, 50 \"X\n");
  const ProcessResult quoted = tool({"fmt", dir.file("C_1-.txt")});
  EXPECT_EQ(quoted.exit_status, 0);
  EXPECT_EQ(quoted.err, dir.file("C_1-.txt") +
                            ":3: a double quote that does not open and close a field on its "
                            "line: left as it stands from here on\n");
  EXPECT_EQ(read_file(dir.file("C_1-.txt")), "[generale]\r\nsabbia,    1\r\nstazione, 50 \"X\n");
}

// A read-only source is told and left; one already in form, or only checked, needs no writing.
TEST(FmtCommand, ReadOnlyFilesAreLeft) {
  TempDir dir;
  const std::string loose = "[generale]\nlunghezza percorso,1\n";
  const std::string formed = "[generale]\r\nlunghezza percorso,    1\r\n";
  const struct {
    const char* what;
    std::string text;
    std::vector<std::string> options;
    int status;
    std::string out, err;  // NAME stands for the file's path
  } cases[] = {
      {"to be formatted", loose, {}, 1, "", "scenario-tool fmt: NAME: read-only: not rewritten\n"},
      {"already in form", formed, {}, 0, "", ""},
      {"only checked", loose, {"--check"}, 1, "NAME\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.file("R_linea.txt");
    std::filesystem::remove(path);
    write_file(path, c.text);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    std::vector<std::string> args = {"fmt"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(path);
    const ProcessResult r = tool(args);
    const auto named = [&](std::string s) {
      const size_t at = s.find("NAME");
      return at == std::string::npos ? s : s.replace(at, 4, path);
    };
    EXPECT_EQ(r.exit_status, c.status);
    EXPECT_EQ(r.out, named(c.out));
    EXPECT_EQ(r.err, named(c.err));
    EXPECT_EQ(read_file(path), c.text);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"R_linea.txt"});
  }
}

}  // namespace
}  // namespace scenario::testing

// Hostile sources: whatever an author's files hold, the tool answers with a status or a clear
// error, never crashes, never changes the sources and writes nothing but the compiled files.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <set>

#include "driver/driver.h"
#include "emitter/emitters.h"
#include "format/file_error.h"
#include "model/build_state.h"
#include "support/child_process.h"
#include "support/compile_fixture.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLine = "T_linea.txt";
constexpr const char* kTrain = "T_1-.txt";
const std::set<std::string> kCompiled = {"T_linea.dat", "T_1.sim", "T_1.dat"};

const std::string kPlainTrain = "[generale]\r\n[fine]\r\n";

std::string plain_line(int32_t length = 3000) {
  return line_with_body("pendenza,  0,  0\r\n", length);
}

// Each entry of a directory with its size and a hash of its bytes; enough to see any change.
std::map<std::string, std::string> snapshot(const std::string& dir) {
  std::map<std::string, std::string> m;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (e.is_directory()) {
      m[name] = "directory";
      continue;
    }
    std::ifstream in(e.path(), std::ios::binary);
    std::string bytes(e.file_size(), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    m[name] = std::to_string(bytes.size()) + (in ? " bytes, hash " : " bytes, unreadable, ") +
              std::to_string(std::hash<std::string>{}(bytes));
  }
  return m;
}

std::set<std::string> names_in(const std::string& dir) {
  const std::vector<std::string> v = list_dir(dir);
  return {v.begin(), v.end()};
}

// A source directory and an output directory side by side, in a root that holds nothing else.
struct Workspace {
  TempDir root;
  std::string src = root.file("src");
  std::string out = root.file("out");

  Workspace() {
    fs::create_directory(src);
    fs::create_directory(out);
  }
  Workspace(const std::string& line, const std::optional<std::string>& train) : Workspace() {
    write_file(src + "/" + kLine, line);
    if (train) write_file(src + "/" + kTrain, *train);
  }
  ChildResult compile() const {
    return run_child({SCENARIO_TOOL_EXE, "compile", "--name", "T", "--train", "1", "-o", out, src});
  }
};

// What a compile must answer. Exit 3 names the status on the first stderr line (the row and a
// caret may follow it); exit 1 is an errore, whose number stands in status.
struct Outcome {
  int exit;
  int status;
  std::string says;  // a part of the stderr line; "" for none
  bool writes;       // the three compiled files are there afterwards
};

std::string describe(const Outcome& o) {
  return "exit " + std::to_string(o.exit) + ", status " + std::to_string(o.status) + ", says '" +
         o.says + "'";
}

// Runs the tool and checks the outcome and what every run must leave: no signal, the sources
// as they were, nothing new beside OUTDIR, nothing in it but compiled files.
void expect_outcome(const Workspace& w, const Outcome& want, const std::string& label) {
  SCOPED_TRACE(label + " (expected " + describe(want) + ")");
  const auto sources = snapshot(w.src);
  const auto around = names_in(w.root.path());
  const ChildResult r = w.compile();
  ASSERT_EQ(r.signal, 0) << r.describe();
  EXPECT_EQ(r.exit_code, want.exit) << r.describe();
  const std::vector<std::string> lines = r.err_lines();
  // Lines after the status line quote the row: they are indented.
  const bool quoted_row = lines.size() <= 3 &&
                          std::all_of(lines.begin() + (lines.empty() ? 0 : 1), lines.end(),
                                      [](const std::string& l) { return l.rfind("    ", 0) == 0; });
  if (want.exit == 0) {
    EXPECT_EQ(r.err, "");
  } else if (lines.empty() || (want.exit == 1 && lines.size() != 1) || !quoted_row) {
    ADD_FAILURE() << "one status line on stderr expected: " << r.describe();
  } else if (want.exit == 1) {
    EXPECT_EQ(lines[0], " Errore n. " + std::to_string(want.status));
  } else {
    const std::string tag = "status " + std::to_string(want.status);
    const size_t at = lines[0].find(tag);
    const bool found = at != std::string::npos && at + tag.size() < lines[0].size() &&
                       (lines[0][at + tag.size()] == ':' || lines[0][at + tag.size()] == ' ');
    EXPECT_TRUE(found) << lines[0];
    EXPECT_NE(lines[0].find(want.says), std::string::npos) << lines[0];
  }
  EXPECT_EQ(snapshot(w.src), sources);
  EXPECT_EQ(names_in(w.root.path()), around);
  EXPECT_EQ(names_in(w.out), want.writes ? kCompiled : std::set<std::string>{});
}

std::string with_position(std::string row, int64_t p) {
  return row.replace(row.find('P'), 1, std::to_string(p));
}

TEST(HostileInput, PositionsAtTheLimitsInEveryRowKind) {
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  struct Case {
    bool in_line;  // a row of the line source, else of the train source
    const char* row;
    Outcome at_min, at_minus_one, at_max;
  } cases[] = {
      // Block 0 and below hold nothing of a gradient or a curve: nothing to refuse.
      {true,
       "pendenza,  P,  2",
       {0, 0, "", true},
       {0, 0, "", true},
       {3, 15, "at 2147483647 m", true}},
      {true,
       "curvas2,  P,  100",
       {0, 0, "", true},
       {0, 0, "", true},
       {3, 15, "at 2147483647 m", true}},
      // A mountain, a speed board or a board before block 0 fails the reading.
      {true,
       "montagna,  P,  1000,  2",
       {3, 25, "outside the track", true},
       {0, 0, "", true},
       {3, 15, "at 2147483647 m", true}},
      // Boards go to the block after their own: -1 m lands on block 1, which the compiler
      // stamps, so its reserved field is found in use.
      {true,
       "indicatori_vmax,  P,  65,  75,  75,  0,  65,  75,  75,  0",
       {3, 25, "outside the track", true},
       {1, 1250, "", false},
       {3, 15, "at 2147483647 m", true}},
      {true,
       "cartello_indicatore,  P,  (X)",
       {3, 25, "outside the track", true},
       {1, 1250, "", false},
       {3, 15, "at 2147483647 m", true}},
      {false,
       "velocita,  P,  75",
       {0, 0, "", true},
       {0, 0, "", true},
       {3, 15, "at 2147483647 m", true}},
      {false,
       "aderenza,  P,  100",
       {0, 0, "", true},
       {0, 0, "", true},
       {3, 15, "at 2147483647 m", true}},
      {false,
       "segnale,  P,  1, 3, 1,  0, 0,  1,  5,6,0, 0",
       {3, 15, "at -2147483648 m", true},
       {1, 1250, "", false},
       {3, 15, "at 2147483647 m", true}},
      {false,
       "rallentamento,  P,  100, 1200, 0,  1,  100",
       {3, 15, "at -2147483648 m", true},
       {1, 1250, "", false},
       {3, 15, "at 2147483647 m", true}},
      {false,
       "abbattimento,  P,  5",
       {3, 15, "at -2147483648 m", true},
       {0, 0, "", true},
       {3, 15, "at 2147483647 m", true}},
      {false,
       "stazione,  P, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,  1,  6,55, 0, VALDORNO",
       {3, 8, "at -2147483648 m", true},
       {3, 8, "at -1 m", true},
       {3, 15, "at 2147483647 m", true}},
  };
  for (const Case& k : cases) {
    const std::pair<int64_t, Outcome> positions[] = {
        {kMin, k.at_min}, {-1, k.at_minus_one}, {kMax, k.at_max}};
    for (const auto& [p, want] : positions) {
      const std::string row = with_position(k.row, p) + "\r\n";
      const Workspace w(k.in_line ? line_with_body(row) : plain_line(),
                        k.in_line ? kPlainTrain : train_with(row));
      expect_outcome(w, want, row);
    }
  }
}

std::string random_bytes(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);  // its sequence is fixed by the standard
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

// A pair of sources and what compiling them must answer.
struct Sources {
  const char* label;
  std::string line;
  std::optional<std::string> train;  // nullopt: no train source at all
  Outcome want;
};

void expect_each(const std::vector<Sources>& cases) {
  for (const Sources& k : cases) expect_outcome(Workspace(k.line, k.train), k.want, k.label);
}

TEST(HostileInput, BytesThatAreNoSource) {
  using namespace std::string_literals;
  expect_each({
      {"random line source",
       random_bytes(1 << 18, 1),
       kPlainTrain,
       {3, 102, "no [generale]", false}},
      {"random train source", plain_line(), random_bytes(1 << 18, 2), {0, 0, "", true}},
      {"control bytes and an escape sequence",
       "\x01\xfe\xff\x80 \t\x7f\x1b[31m"s,
       kPlainTrain,
       {3, 102, "no [generale]", false}},
      {"NUL in a number",
       line_with_body("pendenza,  4\0"s
                      "00,  2\r\n"),
       kPlainTrain,
       {3, 25, "'4\\x0000' is not a whole number", true}},
      {"terminal control in a number",
       line_with_body("pendenza,  4\x1b[2J,  2\r\n"),
       kPlainTrain,
       {3, 25, "'4\\x1B[2J' is not a whole number", true}},
      {"NUL in a keyword",
       line_with_body("pen\0denza,  400,  2\r\n"s),
       kPlainTrain,
       {0, 0, "", true}},
      {"NUL in a board text",
       line_with_body("cartello_indicatore,  450,  (A\0B)\r\n"s),
       kPlainTrain,
       {0, 0, "", true}},
      {"NUL in a station name",
       plain_line(),
       train_with("stazione,  50, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,  1,  6,55, 0, V\0O\r\n"s),
       {0, 0, "", true}},
      {"only carriage returns",
       std::string(1000, '\r'),
       kPlainTrain,
       {3, 25, "the file is empty", false}},
      {"unclosed quote in the line",
       line_with_body("cartello_indicatore,  450,  \"(OPEN\r\n"),
       kPlainTrain,
       {3, 25, "no closing quote", true}},
      {"unclosed quote in the train",
       plain_line(),
       train_with("stazione,  50, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,  1,  6,55, 0, \"V\r\n"),
       {3, 25, "no closing quote", true}},
      {"header alone, no line end", "[generale]", kPlainTrain, {3, 102, "no [generale]", false}},
      {"header alone", "[generale]\r\n", kPlainTrain, {3, 102, "no [generale]", false}},
      {"train header alone", plain_line(), "[generale]", {0, 0, "", true}},
      {"no train source", plain_line(), std::nullopt, {3, 25, "no such file", true}},
  });
}

TEST(HostileInput, HugeFiles) {
  const std::string commas(1'000'000, ',');
  expect_each({
      {"20 MB line source, one field",
       std::string(20 << 20, 'x'),
       kPlainTrain,
       {3, 102, "no [generale]", false}},
      {"20 MB train source, one field", plain_line(), std::string(20 << 20, 'x'), {0, 0, "", true}},
      {"a million commas in the line body",
       line_with_body(commas + "\r\n"),
       kPlainTrain,
       {0, 0, "", true}},
      {"a million commas in the general section",
       "[generale]\r\nlunghezza percorso, 3000\r\n" + commas + "\r\n[curve]\r\n[fine]\r\n",
       kPlainTrain,
       {0, 0, "", true}},
      {"a million commas in the train",
       plain_line(),
       train_with(commas + "\r\n"),
       {0, 0, "", true}},
  });
}

TEST(HostileInput, NumbersAndCountsAtTheirLimits) {
  std::string stations;
  for (int k = 1; k <= 10'000; ++k) {
    stations +=
        "stazione, " + std::to_string(400 * k) + ", 25, 0, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S\r\n";
  }
  std::string signals;
  for (int k = 1; k <= 100'000; ++k) {
    signals += "segnale, " + std::to_string(50 * k) + ", 1, 3, 1, 0, 0, 1, 5, 6, 0, 0\r\n";
  }
  const std::string digits = "1234567890123456789012345678901234567890";
  const std::string length_row = "[generale]\r\nlunghezza percorso, ";
  expect_each({
      {"40 digits",
       length_row + digits + "\r\n[curve]\r\n",
       kPlainTrain,
       {3, 25, "'" + digits + "' does not fit 32 bits", false}},
      {"40 digits in a value",
       plain_line(),
       train_with("velocita,  0,  " + digits + "\r\n"),
       {3, 25, "does not fit 32 bits", true}},
      {"route length 1,000,001",
       length_row + "1000001\r\n[curve]\r\n",
       kPlainTrain,
       {3, 1, "above 1,000,000", false}},
      {"route length 2^31 - 1",
       length_row + "2147483647\r\n[curve]\r\n",
       kPlainTrain,
       {3, 1, "above 1,000,000", false}},
      {"route length -1",
       length_row + "-1\r\n[curve]\r\n",
       kPlainTrain,
       {3, 25, "negative", false}},
      {"route length 1,000,000", plain_line(1'000'000), kPlainTrain, {0, 0, "", true}},
      // The gradient in force plus 100 once overflowed 32 bits before its range was tested: the
      // sanitizer build then printed a second line.
      {"gradient 2^31 - 1",
       line_with_body("pendenza, 100, 2147483647\r\npendenza, 200, 0\r\n"),
       kPlainTrain,
       {3, 25, "does not fit a byte", true}},
      // Slots 1 to 79 are free without boards: the 79th station takes the last one.
      {"10,000 stations",
       plain_line(100'000),
       train_with(stations),
       {3, 10, "too many stations", true}},
      // The longest track holds blocks up to 20140: the signal after it is refused.
      {"100,000 signals",
       plain_line(1'000'000),
       train_with(signals),
       {3, 15, "at 1006950 m", true}},
  });
}

TEST(HostileInput, LoneCarriageReturnsReadAsLineEnds) {
  TempDir emitted;
  BuildState s;
  s.scenario_name = "T";
  s.train_number = "1";
  s.directory = emitted.path();
  dati_linea(s);
  dati_treno(s);
  const auto cr_only = [](std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at + 1, 1);
    return text;
  };
  const Workspace crlf(read_file(emitted.file(kLine)), read_file(emitted.file(kTrain)));
  const Workspace cr(cr_only(read_file(crlf.src + "/" + kLine)),
                     cr_only(read_file(crlf.src + "/" + kTrain)));
  ASSERT_EQ(read_file(cr.src + "/" + kLine).find('\n'), std::string::npos);
  expect_outcome(crlf, {0, 0, "", true}, "CR LF");
  expect_outcome(cr, {0, 0, "", true}, "CR alone");
  for (const std::string& name : kCompiled) {
    EXPECT_EQ(read_file(cr.out + "/" + name), read_file(crlf.out + "/" + name)) << name;
  }
}

TEST(HostileInput, SourcesThatAreNotPlainFiles) {
  const auto sized = [](const std::string& path, off_t size) {
    write_file(path, "");
    ASSERT_EQ(truncate(path.c_str(), size), 0);  // sparse: no disk space taken
  };
  constexpr off_t kLimit = off_t{64} << 20;
  struct Case {
    const char* label;
    std::function<void(const Workspace&)> make;
    Outcome want;
  } cases[] = {
      {"line source is a directory",
       [](const Workspace& w) {
         fs::create_directory(w.src + "/" + kLine);
         write_file(w.src + "/" + kTrain, kPlainTrain);
       },
       {3, 25, "it is a directory", false}},
      {"train source is a directory",
       [](const Workspace& w) {
         write_file(w.src + "/" + kLine, plain_line());
         fs::create_directory(w.src + "/" + kTrain);
       },
       {3, 25, "it is a directory", true}},
      {"line source larger than 64 MiB",
       [&](const Workspace& w) {
         sized(w.src + "/" + kLine, kLimit + 1);
         write_file(w.src + "/" + kTrain, kPlainTrain);
       },
       {3, 25, "larger than 64 MiB", false}},
      {"train source larger than 64 MiB",
       [&](const Workspace& w) {
         write_file(w.src + "/" + kLine, plain_line());
         sized(w.src + "/" + kTrain, kLimit + 1);
       },
       {3, 25, "larger than 64 MiB", true}},
      // At the limit the file is read: 64 MiB of NULs are one field, and no header.
      {"line source of exactly 64 MiB",
       [&](const Workspace& w) {
         sized(w.src + "/" + kLine, kLimit);
         write_file(w.src + "/" + kTrain, kPlainTrain);
       },
       {3, 102, "no [generale]", false}},
  };
  for (const Case& k : cases) {
    const Workspace w;
    k.make(w);
    expect_outcome(w, k.want, k.label);
  }
}

TEST(HostileInput, UnreadableSource) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads a file of mode 000";
  const Workspace w(plain_line(), kPlainTrain);
  ASSERT_EQ(chmod((w.src + "/" + kLine).c_str(), 0), 0);
  expect_outcome(w, {3, 25, "Permission denied", false}, "mode 000");
  chmod((w.src + "/" + kLine).c_str(), 0644);
}

// scenario-build writes its own sources first: a directory in the way of one is the hostile
// case there, and it must end in a FileError naming that file, with nothing left half done.
TEST(HostileInput, BuildDirectoryWithADirectoryInPlaceOfASource) {
  const char* const names[] = {"Lindeva_Querno_linea.txt", "Lindeva_Querno_40716-.txt"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    TempDir dir;
    fs::create_directory(dir.file(name));
    fs::create_directory(dir.file(std::string(name) + "/inside"));
    try {
      build_scenario_in(dir.path());
      ADD_FAILURE() << "the build went on";
    } catch (const FileError& e) {
      EXPECT_EQ(e.path(), dir.file(name));
      EXPECT_NE(std::string(e.what()).find("a directory stands there"), std::string::npos)
          << e.what();
    }
    // Only what was whole before the obstacle: the line source when the train's is in the way.
    std::set<std::string> left = {name};
    if (std::string(name) != names[0]) left.insert(names[0]);
    EXPECT_EQ(names_in(dir.path()), left);
    EXPECT_EQ(names_in(dir.file(name)), std::set<std::string>{"inside"});
  }
}

}  // namespace
}  // namespace scenario::testing

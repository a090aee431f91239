// Warnings of the sources: each author's mistake gives its one warning at its field, and the
// sources the system writes itself give none.
#include "lint/source_lint.h"

#include <gtest/gtest.h>

#include <set>

#include "emitter/content/content.h"
#include "format/cp1252.h"
#include "source/diagnostic_json.h"
#include "source/status_codes.h"
#include "support/compile_fixture.h"
#include "support/scenario_generator.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

constexpr const char* kLine = "T_linea.txt";
constexpr const char* kTrain = "T_1-.txt";

std::vector<Diagnostic> lint(const std::string& line, const std::string& train) {
  return lint_sources({kLine, &line}, {kTrain, &train});
}

std::string summary(const std::vector<Diagnostic>& ws) {
  std::string s;
  for (const Diagnostic& w : ws) s += diagnostic_text(w);
  return s;
}

// A sound pair of a 26 km line, to which each case adds its rows.
const std::string kLineHead =
    "[generale]\r\nlunghezza percorso,    26000\r\n"
    "progressiva chilometrica uno,    0,    75700,    1\r\n"
    "ripetizione segnali 4 codici,    0,    0\r\n"
    "[curve]\r\ncurvas2,  200,  150\r\n[pendenze]\r\npendenza,   0,    0\r\n"
    "[montagne]\r\nmontagna,   750,  1300,  12\r\n"
    "[cartelli]\r\nindicatori_vmax,  750,  65,  75,  75,  0,  65,  75,  75,  0\r\n";
const std::string kTrainHead =
    "[generale]\r\nnumero vetture,    7\r\n[vel_limite]\r\nvelocita,       0,    75\r\n"
    "[stazioni]\r\n"
    "stazione,      50, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,    1,   6,55, 0, LINDEVA\r\n";

TEST(SourceLint, EachMistakeGivesItsOneWarningAtItsField) {
  struct Case {
    const char* what;
    std::string line_rows;   // after kLineHead
    std::string train_rows;  // after kTrainHead
    WarningCode code;
    const char* file;
    int32_t line;
    int32_t column;
    const char* says;
  } cases[] = {
      {"typo'd keyword", "pendanza,  2000,   4\r\n", "", kUnknownKeyword, kLine, 13, 1,
       "did you mean 'pendenza'?"},
      {"typo'd train keyword", "",
       "stazoine,    5000, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,   30,   7,10, 0, PIANELLO\r\n",
       kUnknownKeyword, kTrain, 7, 1, "did you mean 'stazione'?"},
      {"a train row in the line", "stazione,  3000\r\n", "", kUnknownKeyword, kLine, 13, 1,
       "is a stazione row of the train source"},
      {"curve hand letter", "curvaz4,  3000,  100\r\n", "", kUnknownKeyword, kLine, 13, 1,
       "read as a right curve of sharpness 4"},
      {"case of a general keyword", "", "", kUnknownKeyword, kLine, 3, 1, "matched in lower case"},
      {"a note that leaves a row behind it", "- nota, pendenza, 2000, 30\r\n", "", kNoteRow, kLine,
       13, 9, "'pendenza' after '- nota' is read as a pendenza row"},
      {"a note between two rows of a line", "pendenza, 2000, 4, - nota, pendenza, 3000, 5\r\n", "",
       kNoteRow, kLine, 13, 28, "after '- nota'"},
      {"comment line", "# la pendenza aumenta\r\npendenza,  2000,   4\r\n", "", kCommentRow, kLine,
       13, 1, "read as a pendenza row"},
      {"short row", "", "segnale,    2900,   2, 4, 1,  0, 0,    2,  2,4,0\r\n[fine]\r\n",
       kFieldCount, kTrain, 7, 49, "has 10 values where it takes 11"},
      {"long row", "pendenza,  2000,   4,   7\r\n", "", kFieldCount, kLine, 13, 25,
       "the reader skips '7'"},
      {"name cut by a comma", "",
       "stazione,    5000, 25,  300,  0, 0, 0,  0,1,0,  2,0,0,    0,   0, 0, 0, BORGO, SCALO\r\n",
       kFieldCount, kTrain, 7, 80, "put it in double quotes"},
      {"decimal comma", "pendenza,  2000,   8,5\r\n", "", kDecimalPart, kLine, 13, 20,
       "'8,5' reads as 8"},
      {"gradients out of order", "pendenza,  3000,   4\r\npendenza,  2000,   2\r\n", "",
       kNotAscending, kLine, 14, 12, "gradient rows must ascend"},
      {"speeds out of order", "", "velocita,    3000,   70\r\nvelocita,    2000,   60\r\n",
       kNotAscending, kTrain, 8, 14, "speed rows must ascend"},
      {"overlapping curves", "curvad3,  300,  100\r\n", "", kOverlap, kLine, 13, 11,
       "first 50 m are lost"},
      {"overlapping mountains", "montagna,   1200,  1600,  2\r\n", "", kOverlap, kLine, 13, 13,
       "starts inside the range of line 10"},
      {"station past the end", "",
       "stazione,   27000, 25,  300,  0, 0, 0,  0,1,0,  2,0,0,    0,   0, 0, 0, OLTRE\r\n",
       kPastRouteEnd, kTrain, 7, 13, "past the route end (26000 m)"},
      {"curve clipped by the end", "curvas1,  25900,  300\r\n", "", kPastRouteEnd, kLine, 13, 11,
       "runs past the route end"},
      {"speed not a multiple of 5", "", "velocita,    2000,   72\r\n", kRoundedValue, kTrain, 7, 22,
       "72 km/h is kept as 70 km/h"},
      // Block round(2925 / 50 + 1) = round(59.5) = 60, halves to even: the signal of 2950 m.
      {"position between blocks", "", "segnale,    2925,   1, 3, 1,  0, 0,    1,  5,6,0, 0\r\n",
       kRoundedValue, kTrain, 7, 13, "places it at 2950 m"},
      {"adhesion beyond a byte", "", "aderenza,   0,    300\r\n", kRoundedValue, kTrain, 7, 19,
       "300 keeps only its low 8 bits: 44"},
      {"backward timetable", "",
       "stazione,    5000, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,   30,   6,10, 0, PIANELLO\r\n",
       kTimeBackwards, kTrain, 7, 64, "PIANELLO is timed 06:10:00, before LINDEVA at 06:55:00"},
      {"UTF-8 name", "",
       "stazione,    5000, 25,  300,  0, 0, 0,  0,1,0,  2,0,0,    0,   0, 0, 0, CITT\xC3\x80 "
       "ROSSA\r\n",
       kUtf8Text, kTrain, 7, 77, "stored as 'CITT\xC3\x80 ROSSA'"},
      // The field is cut as the readers cut it: a quoted comma stays inside.
      {"UTF-8 in a quoted board text", "cartello_indicatore,  3000,   \"(CITT\xC3\x80, NORD)\"\r\n",
       "", kUtf8Text, kLine, 13, 37, "stored as '(CITT\xC3\x80, NORD)'"},
      {"control byte", "cartello_indicatore,  3000,   (A\x01)\r\n", "", kNotCp1252, kLine, 13, 33,
       "byte 0x01"},
      {"train source without its header", "", "", kNoGeneral, kTrain, 1, 1,
       "takes nothing of this source"},
      {"train above the boards", "", "velocita,    2000,   90\r\n", kTrainAboveBoards, kTrain, 7,
       22, "at most 75 km/h"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string line = kLineHead + c.line_rows + "[fine]\r\n";
    if (std::string(c.what) == "case of a general keyword") {
      line.replace(line.find("chilometrica uno"), 16, "chilometrica Uno");
    }
    std::string train = kTrainHead + c.train_rows + "[fine]\r\n";
    if (c.code == kNoGeneral) train.replace(0, 10, "[general]");
    const std::vector<Diagnostic> ws = lint(line, train);
    ASSERT_EQ(ws.size(), 1u) << summary(ws);
    const Diagnostic& w = ws[0];
    EXPECT_TRUE(w.warning());
    EXPECT_EQ(w.code, c.code) << summary(ws);
    EXPECT_EQ(w.file, c.file);
    EXPECT_EQ(w.line, c.line) << summary(ws);
    EXPECT_EQ(w.column, c.column) << summary(ws);
    EXPECT_NE(w.message.find(c.says), std::string::npos) << w.message;
  }
}

// The text with a fix applied: lines and columns from 1, one column per byte.
std::string applied(std::string text, const Fix& f) {
  const auto offset = [&](int32_t line, int32_t column) {
    size_t at = 0;
    for (int32_t l = 1; l < line; ++l) at = text.find('\n', at) + 1;
    return at + static_cast<size_t>(column - 1);
  };
  const size_t from = offset(f.line, f.column);
  return text.replace(from, offset(f.end_line, f.end_column) - from, f.text);
}

// Mistakes of meaning: each gives its one warning at the field that carries it, with the one
// edit that mends it where there is one; the edit applied leaves a clean source.
TEST(SourceLint, EachMistakeOfMeaningGivesItsWarningAndFix) {
  using Edit = void (*)(std::string & line, std::string & train);
  struct Case {
    const char* what;
    std::string line_general;  // rows inserted before [curve], at line 5
    std::string line_rows;     // after kLineHead, from line 13 (or 14 with a general row)
    std::string train_rows;    // after kTrainHead, from line 7
    WarningCode code;
    const char* file;
    int32_t line;
    int32_t column;
    const char* says;
    const char* fix;  // the fix's text; null when the warning has none
    Edit edit = nullptr;
  } cases[] = {
      // Values outside what they can mean.
      {"a timetable minute of 60", "", "",
       "stazione,    5000, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,   30,   7,60, 0, PIANELLO\r\n",
       kValueRange, kTrain, 7, 66, "the reader takes it as 08:00:00", "8,0, 0"},
      {"a clock minute of 75", "", "", "orologio,    6  75  30\r\n", kValueRange, kTrain, 7, 17,
       "stores each number as written: write 07:15:30", "7  15  30"},
      {"a speed limit of 0", "", "", "velocita,    2000,   0\r\n", kValueRange, kTrain, 7, 22,
       "a limit of 0 km/h stops the train there", nullptr},
      {"a slowdown speed of 0", "", "", "rallentamento,   3000,   0, 1200, 0,  1,  100\r\n",
       kValueRange, kTrain, 7, 26, "speed takes 5 to 300, not 0", nullptr},
      {"a direction flag of -1", "progressiva chilometrica due,    5000,    3000,    -1\r\n", "",
       "", kValueRange, kLine, 5, 52, "the kilometres rise from the start on", nullptr},
      {"a signal kind of 3", "", "", "segnale,    2900,   3, 4, 1,  0, 0,    2,  2,4,0, 0\r\n",
       kValueRange, kTrain, 7, 21, "takes 1 or 2, not 3", nullptr},
      {"a curve of no length", "", "curvas1,  3000,  0\r\n", "", kValueRange, kLine, 13, 18,
       "the plan runs straight", nullptr},
      {"a speed board speed of 0", "",
       "indicatori_vmax,  2000,  0,  75,  75,  0,  65,  75,  75,  0\r\n", "", kValueRange, kLine,
       13, 26, "takes 5 to 300, not 0", nullptr},
      {"a mountain range ending before its start", "", "montagna,   3000,  2900,  2\r\n", "",
       kValueRange, kLine, 13, 20, "it marks no block", nullptr},
      // Entries that repeat or contradict one another.
      {"two stations of one name", "", "",
       "stazione,    5000, 25,  300,  0, 0, 0,  0,1,0,  2,0,0,    0,   0, 0, 0, LINDEVA\r\n",
       kDuplicate, kTrain, 7, 73, "a second station named 'LINDEVA' (the first at line 6)",
       nullptr},
      {"a second progressive left starting at 0",
       "progressiva chilometrica due,    0,    88500,    1\r\n", "", "", kDuplicate, kLine, 5, 34,
       "dropped without a word", nullptr},
      {"a route length given twice", "lunghezza percorso,    30000\r\n", "", "", kOverridden, kLine,
       2, 1, "the one at line 5 replaces its values", nullptr},
      {"a coach count given twice", "", "", "numero vetture,    8\r\n", kOverridden, kTrain, 2, 1,
       "the one at line 7 replaces its values", nullptr},
      {"a station written after a signal on its stop block", "", "",
       "segnale,    4950,   1, 3, 1,  0, 0,    1,  5,6,0, 0\r\n"
       "stazione,    4700, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,   30,   7,10, 0, PIANELLO\r\n",
       kOverridden, kTrain, 8, 14, "block 100, which the row at line 7 took before it", nullptr},
      {"a slowdown faster than the limit in force", "", "",
       "rallentamento,   3000,   100, 1200, 0,  1,  100\r\n", kSlowdownSpeed, kTrain, 7, 26,
       "does not lower the train's limit, which is at most 75 km/h", nullptr},
      {"a timed stop given a passing kind", "", "",
       "stazione,    5000, 25,  300,  0, 0, 0,  0,1,0,  2,0,0,    0,   7,10, 0, PIANELLO\r\n",
       kStationKind, kTrain, 7, 20, "the train does not stop at 'PIANELLO', timed 07:10:00",
       nullptr},
      {"a stop without a time", "", "",
       "stazione,    5000, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,   30,   0, 0, 0, PIANELLO\r\n",
       kStationKind, kTrain, 7, 20, "which has no scheduled time", nullptr},
      // Texts longer than their cells.
      {"a station name longer than the sheet's cell", "", "",
       "stazione,    5000, 25,  300,  0, 0, 0,  0,1,0,  2,0,0,    0,   0, 0, 0, SANT'ELPIDIO "
       "DELLE QUATTRO FONTANE\r\n",
       kTextLength, kTrain, 7, 73, "the timetable sheet's cell shows 26", nullptr},
      {"a destination longer than the sheet's header", "", "",
       "stazione,    5000, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,   30,   7,10, 0, PONTE SAN MORELLO "
       "ALTO\r\n",
       kTextLength, kTrain, 7, 73, "header shows the destination in 21", nullptr},
      // Structure.
      {"a missing [curve] header", "", "", "", kSectionHeader, kLine, 5, 1,
       "runs on to '[pendenze]' at line 6", "[curve]\r\n",
       [](std::string& line, std::string&) { line.erase(line.find("[curve]\r\n"), 9); }},
      {"a header missing its bracket", "", "", "", kSectionHeader, kLine, 5, 1,
       "'[curve' is no section header to the reader", "[curve]",
       [](std::string& line, std::string&) { line.erase(line.find("[curve]") + 6, 1); }},
      {"a misspelt body header", "", "", "", kSectionHeader, kLine, 7, 1,
       "did you mean '[pendenze]'?", "[pendenze]",
       [](std::string& line, std::string&) { line.insert(line.find("[pendenze]") + 8, "e"); }},
      {"a byte order mark", "", "", "", kByteOrderMark, kTrain, 1, 1, "byte order mark", "",
       [](std::string&, std::string& train) { train.insert(0, "\xEF\xBB\xBF"); }},
      // Earlier warnings that have one fix.
      {"a misspelt keyword", "", "pendanza,  2000,   4\r\n", "", kUnknownKeyword, kLine, 13, 1,
       "did you mean 'pendenza'?", "pendenza"},
      {"a general keyword in capitals", "", "", "", kUnknownKeyword, kLine, 3, 1,
       "matched in lower case", "progressiva chilometrica uno",
       [](std::string& line, std::string&) {
         line.replace(line.find("chilometrica uno"), 16, "chilometrica Uno");
       }},
      {"a curve hand letter", "", "curvaz4,  3000,  100\r\n", "", kUnknownKeyword, kLine, 13, 1,
       "read as a right curve", "curvad4"},
      {"a comment line", "", "# la pendenza aumenta\r\npendenza,  2000,   4\r\n", "", kCommentRow,
       kLine, 13, 1, "is no comment", "- "},
      {"a speed not a multiple of 5", "", "", "velocita,    2000,   72\r\n", kRoundedValue, kTrain,
       7, 22, "kept as 70 km/h", "70"},
      {"a position between blocks", "", "",
       "segnale,    2925,   1, 3, 1,  0, 0,    1,  5,6,0, 0\r\n", kRoundedValue, kTrain, 7, 13,
       "places it at 2950 m", "2950"},
      {"field 5 of a short station", "", "",
       "stazione,    5000, 25,  300,  0, 2, 0,  0,1,0,  2,0,0,    0,   0, 0, 0, PIANELLO\r\n",
       kRoundedValue, kTrain, 7, 34, "so the reader stores 0", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string line = kLineHead + c.line_rows + "[fine]\r\n";
    line.insert(line.find("[curve]"), c.line_general);
    std::string train = kTrainHead + c.train_rows + "[fine]\r\n";
    if (c.edit != nullptr) c.edit(line, train);
    const std::vector<Diagnostic> ws = lint(line, train);
    ASSERT_EQ(ws.size(), 1u) << summary(ws);
    const Diagnostic& w = ws[0];
    EXPECT_EQ(w.code, c.code) << summary(ws);
    EXPECT_EQ(w.file, c.file);
    EXPECT_EQ(w.line, c.line) << summary(ws);
    EXPECT_EQ(w.column, c.column) << summary(ws);
    EXPECT_NE(w.message.find(c.says), std::string::npos) << w.message;
    if (c.fix == nullptr) {
      EXPECT_FALSE(w.fix) << w.fix->text;
      continue;
    }
    ASSERT_TRUE(w.fix);
    EXPECT_EQ(w.fix->text, c.fix);
    EXPECT_FALSE(w.fix->title.empty());
    std::string& mended = w.file == kLine ? line : train;
    mended = applied(mended, *w.fix);
    EXPECT_EQ(summary(lint(line, train)), "") << mended;
  }
}

// A line source that lost its [curve] header: one warning for all the curve rows it cost.
TEST(SourceLint, AMissingHeaderIsNamedOnceWithTheRowsItCosts) {
  std::string line = kLineHead;
  line.erase(line.find("[curve]\r\n"), 9);
  std::string curves;
  for (int i = 0; i < 38; ++i) {
    curves += (i % 2 ? "curvad3,  " : "curvas2,  ") + std::to_string(2000 + 500 * i) + ",  150\r\n";
  }
  line.insert(line.find("[pendenze]"), curves);
  const std::vector<Diagnostic> ws = lint(line, kTrainHead);
  ASSERT_EQ(ws.size(), 1u) << summary(ws);
  EXPECT_EQ(ws[0].name(), "section-header");
  EXPECT_NE(ws[0].message.find("the reader skips the 39 rows of lines 5 to 43"), std::string::npos)
      << ws[0].message;
  EXPECT_NE(ws[0].message.find("write [curve] on a line before it"), std::string::npos);
  // Rows of the body among the general rows are misplaced, not a missing header.
  std::string misplaced = kLineHead;
  misplaced.insert(misplaced.find("ripetizione"), "pendenza,  2000,   4\r\n");
  const std::vector<Diagnostic> m = lint(misplaced, kTrainHead);
  ASSERT_EQ(m.size(), 1u) << summary(m);
  EXPECT_EQ(m[0].code, kUnknownKeyword);
  EXPECT_NE(m[0].message.find("belongs after the [generale] section"), std::string::npos)
      << m[0].message;
  EXPECT_FALSE(m[0].fix);
}

TEST(SourceLint, JsonCarriesTheFix) {
  const std::string line = kLineHead + "pendanza,  2000,   4\r\n";
  const std::vector<Diagnostic> ws = lint(line, kTrainHead);
  ASSERT_EQ(ws.size(), 1u);
  EXPECT_EQ(diagnostic_json(ws[0])["fix"].dump(),
            R"({"title":"write 'pendenza'","line":13,"column":1,"end_line":13,"end_column":9,)"
            R"("text":"pendenza"})");
}

// A control byte shows the same way in the message as in the quoted row under it.
TEST(SourceLint, AControlByteShowsOneWay) {
  const std::string line = kLineHead + "pend\x1Bnza,  2000,   4\r\n";
  std::string unknown;
  for (const Diagnostic& w : lint(line, kTrainHead)) {
    if (w.code == kUnknownKeyword) unknown = diagnostic_text(w);
  }
  EXPECT_NE(unknown.find("'pend\\x1Bnza' names no row kind"), std::string::npos) << unknown;
  EXPECT_NE(unknown.find("    pend\\x1Bnza,  2000"), std::string::npos) << unknown;
  EXPECT_EQ(unknown.find('\x1B'), std::string::npos) << unknown;
}

// Past the cap the warnings are only counted; a silenced kind is neither kept nor counted.
TEST(SourceLint, WarningsPastTheCapAreCounted) {
  std::string line = kLineHead;
  for (int i = 0; i < 30; ++i) line += "pendanza,  " + std::to_string(2000 + 50 * i) + ",   4\r\n";
  line += "pendenza,  9025,   4\r\n";  // one rounded-value warning after them
  const struct {
    const char* what;
    LintLimits limits;
    size_t kept;
    size_t more;
  } cases[] = {
      {"no cap", {}, 31, 0},
      {"a cap of 10", {{}, 10}, 10, 21},
      {"unknown keywords silenced", {{kUnknownKeyword}, 10}, 1, 0},
      {"both silenced", {{kUnknownKeyword, kRoundedValue}, 0}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const LintReport r = lint_sources({kLine, &line}, {kTrain, &kTrainHead}, c.limits);
    EXPECT_EQ(r.warnings.size(), c.kept);
    EXPECT_EQ(r.more, c.more);
  }
}

TEST(SourceLint, TextAndJsonNameTheWarning) {
  const std::string line = kLineHead + "pendanza,  2000,   4\r\n";
  const std::vector<Diagnostic> ws = lint(line, kTrainHead);
  ASSERT_EQ(ws.size(), 1u);
  EXPECT_EQ(diagnostic_text(ws[0]),
            "T_linea.txt:13:1: warning: 'pendanza' names no row kind of the line body: the reader "
            "skips the row; did you mean 'pendenza'? [unknown-keyword]\n"
            "    pendanza,  2000,   4\n"
            "    ^\n");
  const std::string json = diagnostic_json(ws[0]).dump();
  EXPECT_EQ(json.rfind("{\"file\":\"T_linea.txt\",\"line\":13,\"column\":1,\"status\":null,"
                       "\"errore\":null,\"position\":null,",
                       0),
            0u)
      << json;
  EXPECT_NE(json.find("\"severity\":\"warning\",\"name\":\"unknown-keyword\",\"fix\":{"),
            std::string::npos)
      << json;
}

TEST(SourceLint, RowsTheReaderTakesAsWrittenGiveNoWarning) {
  // A row run on over two lines, empty values of a speed board, numbers apart by blanks, a
  // quoted name with a comma, quoted numbers, comment fields with a hyphen and text before the
  // header.
  const std::string line = "Linea di prova\r\n" + kLineHead +
                           "- tratto in galleria\r\n----------, ----------\r\n"
                           "indicatori_vmax,  2000,  75,  75,  75,  2,  ,  ,  ,  0\r\n"
                           "pendenza,  2000\r\n   4\r\npendenza,  3000   5\r\n"
                           "pendenza, \"4000\", 6\r\ncartello_indicatore, \" 4500 \", (A)\r\n"
                           "[fine]\r\n";
  const std::string train =
      kTrainHead +
      "stazione,    5000, 25,  300,  0, 0, 0,  0,1,0,  2,0,0,    0,   0, 0, 0, \"BORGO, SCALO\"\r\n"
      "orologio,    6               54            30 \r\n[fine]\r\n";
  EXPECT_EQ(summary(lint(line, train)), "");
}

TEST(SourceLint, TheBuiltInScenarioGivesNoWarning) {
  std::string line, train;
  for (const std::string_view r : content::linea_rows()) line += utf8_to_cp1252(r) + "\r\n";
  for (const std::string_view r : content::treno_rows()) train += utf8_to_cp1252(r) + "\r\n";
  EXPECT_EQ(summary(lint(line, train)), "");
}

TEST(SourceLint, GeneratedScenariosGiveNoWarning) {
  for (const int km : {kMinGeneratedKm, 93, 400}) {
    SCOPED_TRACE(std::to_string(km) + " km");
    const GeneratedSources g = generate_scenario(km);
    EXPECT_EQ(summary(lint(g.line, g.train)), "");
  }
  // Every row kind, every station kind, quoted texts, curves end to end, close mountain ranges.
  for (uint64_t seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const GeneratedSources g =
        generate_scenario(20 + static_cast<int>(seed * 17 % 100),
                          {.seed = seed, .every_row_kind = true, .narrowed_values = false});
    EXPECT_EQ(summary(lint(g.line, g.train)), "");
    EXPECT_EQ(compile(g.line, g.train.c_str()).status(), 0);
  }
}

// The reference lists every warning under its name, and its worked example gives none.
TEST(SourceLint, TheReferenceNamesEveryWarningAndItsExampleGivesNone) {
  const std::string doc = read_file(std::string(SCENARIO_SOURCE_DIR) + "/docs/sources.md");
  for (const WarningInfo& w : warning_infos()) {
    EXPECT_NE(doc.find("| `" + std::string(w.name) + "` |"), std::string::npos) << w.name;
  }
  const auto fenced_after = [&](const std::string& title) {
    const size_t from = doc.find("```\n", doc.find(title)) + 4;
    return doc.substr(from, doc.find("```", from) - from);
  };
  EXPECT_EQ(summary(lint(fenced_after("File `Colle_Verde_linea.txt`:"),
                         fenced_after("File `Colle_Verde_101-.txt`:"))),
            "");
}

// The varied scenarios hold, on purpose, values that the reader rounds or narrows (speed limits
// 2 km/h above their boards, code-cut values beyond 16 bits, a signal field 11 of 50, a direction
// flag of 2, a first station's field 5, slowdowns as fast as their limit) and random timetables,
// passed stations timed among them: those warnings and no other.
TEST(SourceLint, VariedScenariosWarnOnlyOfTheirDeliberateValues) {
  for (uint64_t seed = 1; seed <= 4; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const GeneratedSources g = generate_scenario(120, {.seed = seed, .every_row_kind = true});
    std::set<std::string> names;
    for (const Diagnostic& w : lint(g.line, g.train)) {
      names.insert(std::string(w.name()));
      const std::string_view row = w.text;
      if (w.code == kRoundedValue) {
        EXPECT_TRUE(row.rfind("velocita", 0) == 0 || row.rfind("abbattimento", 0) == 0 ||
                    row.rfind("segnale", 0) == 0 || row.rfind("stazione", 0) == 0)
            << diagnostic_text(w);
      } else if (w.code == kTrainAboveBoards) {
        EXPECT_EQ(row.rfind("velocita", 0), 0u) << diagnostic_text(w);
      } else if (w.code == kValueRange) {
        EXPECT_EQ(row.rfind("progressiva", 0), 0u) << diagnostic_text(w);
      } else if (w.code != kStationKind && w.code != kSlowdownSpeed) {
        EXPECT_EQ(w.code, kTimeBackwards) << diagnostic_text(w);
      }
    }
    EXPECT_TRUE(names.count("rounded-value") && names.count("train-above-boards"));
  }
}

}  // namespace
}  // namespace scenario::testing

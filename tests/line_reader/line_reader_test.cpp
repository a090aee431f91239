// The line half of the reader, through small line sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "support/compile_fixture.h"

namespace scenario::testing {
namespace {

TEST(LineReader, GradientsAndFirstBoardOfTheWorkedExample) {
  const Compiled c = read_only(
      line_with_body("pendenza,   0,    0\r\npendenza,  400,   -6\r\npendenza,  1150,   -8\r\n"
                     "pendenza,  2000,   0\r\n"
                     "cartello_indicatore,  450,   (PASSAGGIO)(A LIVELLO)(Km 68+905)\r\n"));
  ASSERT_EQ(c.status(), 0);
  EXPECT_EQ(c.state->track.upper(), 2000);
  for (int b = 0; b <= 7; ++b) EXPECT_EQ(c.block(b).mark14, 100) << b;
  for (int b = 8; b <= 22; ++b) EXPECT_EQ(c.block(b).mark14, 94) << b;
  EXPECT_EQ(dump_blocks(c.state->track, 0, 30), "b10:code14 v1=80");
  EXPECT_EQ(c.slot(80).text, "(PASSAGGIO)(A LIVELLO)(Km 68+905)");
  // The gradient tail runs to N - 3; the last three blocks keep 0.
  EXPECT_EQ(c.block(1997).mark14, 100);
  EXPECT_EQ(c.block(1998).mark14, 0);
  EXPECT_EQ(c.block(2000).mark14, 0);
  EXPECT_FALSE(c.line_source_left());
}

TEST(LineReader, GradientRowsThatWriteNothing) {
  // 25 m rounds to block 0 (halves to even): it only sets the gradient in force.
  const Compiled c = read_only(line_with_body("pendenza,  25,   -4\r\npendenza,  75,   2\r\n"));
  EXPECT_EQ(c.block(0).mark14, 96);
  EXPECT_EQ(c.block(1).mark14, 96);
  EXPECT_EQ(c.block(2).mark14, 102);
}

TEST(LineReader, SpeedBoardsPackTheirPairs) {
  const Compiled c = read_only(
      line_with_body("indicatori_vmax,  750,  65,  75,  75,  0,  65,  75,  75,  0\r\n"
                     "indicatori_vmax,  23100,  75,  75,  75,  2,  ,  ,  ,  0\r\n"
                     "indicatori_vmax,  82150,  100,  110,  120,  2,  100,  110,  120,  2\r\n"));
  ASSERT_EQ(c.status(), 0);
  EXPECT_EQ(dump_blocks(c.state->track, 0, 2000),
            "b16:code6 v1=1313 v2=1515 v3=1515 b463:code6 v1=1500 v2=1500 v3=1500 v4=20 "
            "b1644:code6 v1=2020 v2=2222 v3=2424 v4=22");
}

TEST(LineReader, MountainRangesAndTheirFillers) {
  const Compiled c =
      read_only(line_with_body("montagna,   750,  1300,  12\r\nmontagna,   1900,  1950,  12\r\n"
                               "montagna,   2100,  2300,  2\r\n"));
  ASSERT_EQ(c.status(), 0);
  EXPECT_EQ(dump_blocks(c.state->track, 0, 60, true),
            "b15:m12=2 b16:m12=2 b17:m12=2 b18:code11 m12=2 b19:m12=2 b20:m12=2 b21:m12=2 "
            "b22:code11 m12=2 b23:m12=2 b24:m12=2 b25:m12=2 b38:m12=2 "
            // 150 m after the previous end: kind 3.
            "b42:m12=3 b43:m12=3 b44:m12=3 b45:m12=3");
}

TEST(LineReader, MountainEdgeCases) {
  struct Case {
    const char* rows;
    const char* dump;
  } cases[] = {
      {"montagna,  1000,  1025,  2\r\n", "b20:m12=2"},
      {"montagna,  1000,  1075,  2\r\n", "b20:m12=2"},
      {"montagna,  1000,  1000,  2\r\nmontagna,  1150,  1200,  2\r\n", "b23:m12=3"},
      {"montagna,  1000,  1000,  2\r\nmontagna,  1151,  1200,  2\r\n", "b23:m12=2"},
      {"montagna,  1000,  1200,  13\r\n", "b20:m12=3 b21:m12=3 b22:m12=3 b23:code11 m12=3"},
      {"montagna,  1000,  1200,  10\r\n", "b20:m12=10 b21:m12=10 b22:m12=10 b23:m12=10"},
      // A filler never replaces a board already there; a board may take a filler's block.
      {"indicatori_vmax,  1100,  30,  30,  30,  0,  ,  ,  ,  0\r\nmontagna,  1000,  1200,  12\r\n",
       "b20:m12=2 b21:m12=2 b22:m12=2 b23:code6 v1=600 v2=600 v3=600 m12=2"},
      {"montagna,  1000,  1200,  12\r\ncartello_indicatore,  1100,   (X)\r\n",
       "b20:m12=2 b21:m12=2 b22:m12=2 b23:code14 v1=80 m12=2"},
  };
  for (const Case& k : cases) {
    const Compiled c = read_only(line_with_body(k.rows));
    EXPECT_EQ(c.status(), 0) << k.rows;
    EXPECT_EQ(dump_blocks(c.state->track, 0, 100, true), k.dump) << k.rows;
  }
}

// The board's code and pairs go in in the row's order: the pair that does not fit 16 bits fails
// the reading with what came before it written.
TEST(LineReader, SpeedBoardPairThatDoesNotFitLeavesTheFieldsBeforeIt) {
  const Compiled c = read_only(line_with_body("indicatori_vmax,  750,  1,2000,1,0,1,1,1,0\r\n"));
  EXPECT_EQ(c.status(), 25);
  EXPECT_EQ(dump_blocks(c.state->track, 0, 2000), "b16:code6 v1=20");
}

TEST(LineReader, MountainRangePastTheTrackIsClipped) {
  const Compiled c = read_only(line_with_body("montagna,  6000,  99999,  12\r\n", 0));
  EXPECT_EQ(c.status(), 0);
  EXPECT_EQ(c.block(140).mark12, 2);
}

TEST(LineReader, GeneralSectionValuesAndCaseRules) {
  const Compiled c = read_only(
      "intro, -- ignored --\r\n[GENERALE]\r\nLUNGHEZZA PERCORSO,    5000\r\n"
      "progressiva chilometrica uno,    0,    75700,    1\r\n"
      "progressiva chilometrica due,    75750,    88500,    1\r\n"
      "progressiva chilometrica Uno,    7,    7,    7\r\n"
      "sfondo uno,    1\r\nsfondo due,    2\r\nsfondo tre,    3\r\n"
      "ripetizione segnali 4 codici,    76350,    87250\r\n"
      "---- a comment ----\r\n[curve]\r\nPENDENZA,  100,  3\r\n[fine]\r\n");
  ASSERT_EQ(c.status(), 0);
  EXPECT_EQ(c.slot(84).long2, 5000);
  EXPECT_EQ(c.slot(81).long1, 75750);
  EXPECT_EQ(c.slot(81).long2, 88600);
  EXPECT_EQ(c.slot(82).long2, 75800);
  EXPECT_EQ(c.slot(83).long1, 0);
  EXPECT_EQ(c.slot(83).long2, 0);
  EXPECT_EQ(c.slot(85).long1, 1);
  EXPECT_EQ(c.slot(85).long2, 3);
  EXPECT_EQ(c.slot(85).long3, 2);
  EXPECT_EQ(c.slot(86).long1, 76350);
  EXPECT_EQ(c.slot(86).long2, 87250);
  EXPECT_EQ(c.slot(86).long3, 4);
  EXPECT_EQ(c.slot(85).text, "T");
  EXPECT_EQ(c.slot(86).text, "1");
  EXPECT_EQ(c.block(2).mark14, 103);
}

TEST(LineReader, SignalRepetitionCodes) {
  struct Case {
    const char* row;
    int status;
    int count;
  } cases[] = {
      {"ripetizione segnali 9 codici,    0,    0", 0, 0},
      {"ripetizione segnali 9 codici,    100,    200", 0, 9},
      {"ripetizione segnali 4 codici,    76350,    87250", 0, 4},
      {"ripetizione segnali 4 codici,    76360,    87250", 3, 0},
      {"ripetizione segnali 4 codici,    76350,    87260", 4, 0},
      {"ripetizione segnali codici,    76350,    87250", 5, 0},
  };
  for (const Case& k : cases) {
    const Compiled c = read_only("[generale]\r\nlunghezza percorso, 1000\r\n" + std::string(k.row) +
                                 "\r\n[curve]\r\n[fine]\r\n");
    EXPECT_EQ(c.status(), k.status) << k.row;
    EXPECT_EQ(c.slot(86).long3, k.count) << k.row;
    EXPECT_FALSE(c.line_source_left()) << k.row;
    if (k.status != 0) {
      EXPECT_TRUE(c.train_source_left()) << k.row;
    }
  }
}

TEST(LineReader, CurvesFollowThePlanRecurrence) {
  const Compiled c = read_only(line_with_body("curvad1,  0,  100\r\n", 0));
  const CurveTable& t = c.state->curves;
  EXPECT_EQ(t.kind(0, 1), CellKind::kInt16);
  EXPECT_EQ(t.value(1, 1), 1.0);
  EXPECT_EQ(t.kind(2, 0), CellKind::kDouble);
  EXPECT_DOUBLE_EQ(t.value(2, 0), 0.0001);
  EXPECT_DOUBLE_EQ(t.value(2, 1), 2.0);
  EXPECT_GT(t.value(100, 0), t.value(99, 0) + 0.0001);
  // Straight on to E - 2; the last two columns stay empty.
  EXPECT_EQ(t.kind(6998, 0), CellKind::kDouble);
  EXPECT_EQ(t.kind(6999, 0), CellKind::kEmpty);
  EXPECT_EQ(t.kind(7000, 1), CellKind::kEmpty);
  const double dx = t.value(6998, 0) - t.value(6997, 0);
  EXPECT_NEAR(dx, t.value(101, 0) - t.value(100, 0), 1e-9);
}

TEST(LineReader, CurveKeywordsDecideCurvature) {
  struct Case {
    const char* keyword;
    double k;
  } cases[] = {{"curvad12", 0.0001},
               {"curvaS2", -0.0002},
               {"curvas5", -0.002},
               {"curvad6", 0.003},
               {"CURVAS3", -0.0004}};
  for (const Case& k : cases) {
    const Compiled c = read_only(line_with_body(std::string(k.keyword) + ",  0,  10\r\n", 0));
    ASSERT_EQ(c.status(), 0) << k.keyword;
    // At m = 2 the step has turned once: X(2) = k * dy with dy = 1.
    EXPECT_DOUBLE_EQ(c.state->curves.value(2, 0), k.k) << k.keyword;
  }
}

TEST(LineReader, CurvesWithoutTheBuildFlagAreIgnored) {
  const Compiled c = read_only(line_with_body("curvad7,  0,  10\r\n", 0), "[generale]\r\n", 0);
  EXPECT_EQ(c.status(), 0);
  EXPECT_FALSE(c.state->curves.exists());
}

TEST(LineReader, CurvePastTheEndIsComputedUpToE) {
  const Compiled c = read_only(line_with_body("curvad1,  6900,  500\r\n", 0));
  EXPECT_EQ(c.status(), 0);
  EXPECT_EQ(c.state->curves.kind(7000, 0), CellKind::kDouble);
}

// Each stop of the line half: status, position, and whether the train source is read.
TEST(LineReader, StatusesOfTheLineHalf) {
  // With L = 0 the track ends at block 140: rows out of order advance the fill one block each.
  std::string gradients_out_of_order;
  for (int i = 0; i < 142; ++i) gradients_out_of_order += "pendenza,  50,  1\r\n";
  struct Case {
    const char* name;
    std::string line;
    int status;
    int position;
    bool train_read;
  } cases[] = {
      {"no generale", "just text\r\n[fine]\r\n", 102, 0, false},
      {"generale last", "[generale]\r\n", 102, 0, false},
      // With no field at all, the first read fails.
      {"empty file", "", 25, 0, false},
      {"blank lines only", "\r\n   \r\n\t\r\n", 25, 0, false},
      {"too long", "[generale]\r\nlunghezza percorso, 1000001\r\n[curve]\r\n", 1, 0, false},
      {"negative length", "[generale]\r\nlunghezza percorso, -1\r\n[curve]\r\n", 25, 0, false},
      {"no length", "[generale]\r\n[curve]\r\npendenza, 0, 0\r\n", 25, 0, false},
      {"beyond", line_with_body("pendenza,  99900,  1\r\npendenza,  99950,  2\r\n"), 15, 99950,
       true},
      {"no digit", line_with_body("curvad,  100,  100\r\n"), 103, 0, false},
      {"board taken",
       line_with_body("cartello_indicatore,  450,   (A)\r\n"
                      "cartello_indicatore,  460,   (B)\r\n"),
       6, 460, false},
      {"speed board taken",
       line_with_body("cartello_indicatore,  450,   (A)\r\n"
                      "indicatori_vmax,  460,  1,1,1,0,1,1,1,0\r\n"),
       21, 460, false},
      {"two speed boards",
       line_with_body("indicatori_vmax,  750,  1,1,1,0,1,1,1,0\r\n"
                      "indicatori_vmax,  800,  1,1,1,0,1,1,1,0\r\n"
                      "indicatori_vmax,  810,  1,1,1,0,1,1,1,0\r\n"),
       21, 810, false},
      {"not a number", line_with_body("pendenza,  1.5,  1\r\n"), 25, 0, false},
      {"letters", line_with_body("pendenza,  abc,  1\r\n"), 25, 0, false},
      {"too big", line_with_body("pendenza,  4294967296,  1\r\n"), 25, 0, false},
      {"row cut by the end", "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\npendenza, 100",
       25, 0, false},
      {"gradient overflow", line_with_body("pendenza,  100,  200\r\n"), 25, 0, false},
      {"speed pair overflow", line_with_body("indicatori_vmax, 750, 2000,1,1,0,1,1,1,0\r\n"), 25, 0,
       false},
      // Rows that would reach a block outside the track fail the reading.
      {"board before the track", line_with_body("cartello_indicatore,  -2000,   (A)\r\n"), 25, 0,
       false},
      {"speed board before the track",
       line_with_body("indicatori_vmax,  -2000,  1,1,1,0,1,1,1,0\r\n"), 25, 0, false},
      {"mountain before the track", line_with_body("montagna,  -500,  500,  2\r\n"), 25, 0, false},
      {"gradient fill past the track", line_with_body(gradients_out_of_order, 0), 25, 0, false},
      // A kind that does not fit a byte fails only where a block takes it.
      {"mountain kind on no block", line_with_body("montagna,  500,  400,  300\r\n"), 0, 0, true},
      {"mountain kind on a block", line_with_body("montagna,  500,  600,  300\r\n"), 25, 0, false},
  };
  for (const Case& k : cases) {
    const Compiled c = read_only(k.line, "[generale]\r\nsabbia, 300\r\n[fine]\r\n");
    EXPECT_EQ(c.status(), k.status) << k.name;
    EXPECT_EQ(c.position(), k.position) << k.name;
    EXPECT_EQ(c.slot(86).int1 == 300, k.train_read) << k.name;
    EXPECT_FALSE(c.line_source_left()) << k.name;
    // The train source goes when it was read, and in the failure handler.
    EXPECT_EQ(c.train_source_left(), !k.train_read && k.status != 25) << k.name;
  }
}

TEST(LineReader, MissingLineSourceDeletesNothing) {
  TempDir dir;
  write_file(dir.file("T_1-.txt"), "[generale]\r\n");
  BuildState s;
  s.scenario_name = "T";
  s.train_number = "1";
  DirectorySources sources(dir.path(), DirectorySources::Policy::kDelete);
  const CompileOutcome r = compile(s, sources, 1);
  EXPECT_EQ(s.read_status, 101);
  EXPECT_EQ(r.status.file, "T_linea.txt");
  EXPECT_TRUE(r.outputs.empty());
  EXPECT_TRUE(file_exists(dir.file("T_1-.txt")));
}

TEST(LineReader, The81stIndicationBoardIsRefused) {
  std::string rows;
  for (int i = 0; i < 81; ++i)
    rows += "cartello_indicatore, " + std::to_string(500 + 100 * i) + ", (B)\r\n";
  const Compiled c = read_only(line_with_body(rows));
  EXPECT_EQ(c.status(), 25);
  EXPECT_EQ(c.slot(1).text, "(B)");
  EXPECT_EQ(c.slot(0).text, "");
}

TEST(LineReader, EndOfFileRules) {
  // A gradient row on the last line is applied, with no line end after it.
  const Compiled a = read_only(
      "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\npendenza, 0, 3\r\n"
      "pendenza, 200, 5");
  EXPECT_EQ(a.status(), 0);
  EXPECT_EQ(a.block(3).mark14, 103);
  EXPECT_EQ(a.block(4).mark14, 105);
  // A keyword that is the last field is discarded unread.
  const Compiled b = read_only("[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\npendenza");
  EXPECT_EQ(b.status(), 0);
}

TEST(LineReader, LineEndsOfEveryKindReadTheSame) {
  const std::string crlf = line_with_body(
      "curvas2,  200,  150\r\npendenza,  400,   -6\r\nmontagna,   750,  1300,  12\r\n"
      "cartello_indicatore,  450,   (A)(B)  \r\n\r\n   \r\nindicatori_vmax,  750,  65,  75,  75,"
      "  0\r\n  65,  75,  75,  0\r\n");
  std::string lf, cr;
  for (size_t i = 0; i < crlf.size(); ++i) {
    if (crlf.compare(i, 2, "\r\n") == 0) {
      lf += '\n';
      cr += '\r';
      ++i;
    } else {
      lf += crlf[i];
      cr += crlf[i];
    }
  }
  const Compiled a = read_only(crlf);
  const Compiled b = read_only(lf);
  const Compiled c = read_only(cr);
  ASSERT_EQ(a.status(), 0);
  EXPECT_EQ(a.state->track.blocks(), b.state->track.blocks());
  EXPECT_EQ(a.state->track.blocks(), c.state->track.blocks());
  EXPECT_EQ(a.slot(80).text, "(A)(B)");  // trailing blanks removed
  // The speed board's values run on over the next line and read as on one line.
  EXPECT_EQ(dump_blocks(a.state->track, 16, 16), "b16:code6 v1=1313 v2=1515 v3=1515");
  EXPECT_TRUE(std::ranges::equal(a.state->curves.values(0), b.state->curves.values(0)));
  EXPECT_TRUE(std::ranges::equal(a.state->curves.values(0), c.state->curves.values(0)));
}

// Comment fields in the body: at most two are skipped, the third field is taken as it is.
TEST(LineReader, BodyCommentFieldsAndSectionHeaders) {
  struct Case {
    const char* body;
    int block2;  // mark14 of block 2: 103 when the gradient row was read
  } cases[] = {
      {"-a-,  pendenza,  100,  3\r\n", 103},
      {"-a-,  -b-,  pendenza-x,  100,  3\r\n", 103},
      {"-a-,  pendenza-x,  100,  3\r\n", 100},
      // Section headers are fields that match no row.
      {"[pendenze]\r\n[montagne]\r\n[cartelli]\r\n[indicazioni]\r\npendenza,  100,  3\r\n", 103},
  };
  for (const Case& k : cases) {
    const Compiled c = read_only(
        line_with_body(std::string("pendenza,  0,  0\r\n") + k.body + "pendenza,  200,  0\r\n"));
    EXPECT_EQ(c.status(), 0) << k.body;
    EXPECT_EQ(c.block(2).mark14, k.block2) << k.body;
    EXPECT_EQ(dump_blocks(c.state->track, 0, 2000), "") << k.body;  // no board, no code
  }
}

TEST(LineReader, ASecondRouteLengthSizesTheArraysAfresh) {
  const Compiled c = read_only(
      "[generale]\r\nlunghezza percorso, 5000\r\nlunghezza percorso, "
      "3000\r\n[curve]\r\n[fine]\r\n");
  ASSERT_EQ(c.status(), 0);
  EXPECT_EQ(c.state->track.upper(), 200);
  EXPECT_EQ(c.state->curves.last_metre(), 10000);
}

// Only the last route length read before the general section ends sizes the arrays, also when
// the section ends by a stop or a failure; an earlier one counts when a later one fails.
TEST(LineReader, TheRouteLengthThatCountsSizesTheArrays) {
  struct Case {
    const char* general;
    int status;
    int32_t length;  // slot 84 long2: the last length read, refused or not
    int32_t upper;   // N of the arrays made
  } cases[] = {
      {"lunghezza percorso, 5000\r\nlunghezza percorso, 3000\r\n", 0, 3000, 200},
      {"lunghezza percorso, 3000\r\nlunghezza percorso, 1000001\r\n", 1, 1000001, 200},
      {"lunghezza percorso, 3000\r\nlunghezza percorso, -1\r\n", 25, -1, 200},
      {"lunghezza percorso, 3000\r\nripetizione segnali 4 codici, 10, 100\r\n", 3, 3000, 200},
      {"lunghezza percorso, 3000\r\nsfondo uno, x\r\n", 25, 3000, 200},
      {"lunghezza percorso, 3000\r\nlunghezza percorso, 5000\r\nsfondo uno, x\r\n", 25, 5000, 240},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.general);
    const Compiled c =
        read_only("[generale]\r\n" + std::string(k.general) + "[curve]\r\n[fine]\r\n");
    EXPECT_EQ(c.status(), k.status);
    EXPECT_EQ(c.slot(84).long2, k.length);
    ASSERT_TRUE(c.state->track.exists());
    EXPECT_EQ(c.state->track.upper(), k.upper);
    EXPECT_EQ(c.state->curves.last_metre(), k.upper * 50);
  }
}

// Each row used to size both arrays afresh: a source of many rows of the longest route took
// many times as long as the same number of other general rows. Sized once, the two read alike.
TEST(LineReader, ManyRouteLengthRowsReadInLinearTime) {
  const auto read = [](const char* keyword) {
    std::string general;
    for (int i = 0; i < 100'000; ++i) general += std::string(keyword) + ", 1000000\r\n";
    general += "lunghezza percorso, 2000\r\n";
    const auto started = std::chrono::steady_clock::now();
    const Compiled c = read_only("[generale]\r\n" + general + "[curve]\r\npendenza, 100, 3\r\n");
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(c.status(), 0);
    EXPECT_EQ(c.state->track.upper(), 180);
    EXPECT_EQ(c.state->curves.last_metre(), 9000);
    EXPECT_EQ(c.block(2).mark14, 103);
    return took.count();
  };
  // Keywords of the same length: the same bytes to read, one sizing the arrays.
  const double background = read("sfondo uno paesagg");
  const double lengths = read("lunghezza percorso");
  // Sized per row, the route lengths took forty times as long.
  EXPECT_LT(lengths, 3 * background + 0.5) << lengths << " s against " << background << " s";
}

// A number field may be quoted as a text field may: it reads as the number the quotes hold.
// The compiled files equal those of the same rows unquoted, and hold what the rows say.
TEST(LineReader, QuotedNumberFieldsReadAsTheNumberInside) {
  const auto line = [](const std::string& open, const std::string& close) {
    const auto n = [&](const char* number) { return open + number + close; };
    return "[generale]\r\nlunghezza percorso, " + n("93000") +
           "\r\n[curve]\r\npendenza, 0, 0\r\npendenza, " + n("400") + ", 5\r\npendenza, 1000, " +
           n("0") + "\r\ncartello_indicatore, " + n("450") + ", (A)\r\n[fine]\r\n";
  };
  const Compiled plain = compile(line("", ""));
  ASSERT_EQ(plain.status(), 0);
  // Blocks 0 to 7 before the 400 m row keep gradient 0; from block round(400 / 50) = 8 up to
  // the 1000 m row's block 20 it is 5; the board at 450 m lands in block round(450 / 50 + 1).
  EXPECT_EQ(plain.state->track.upper(), 2000);
  EXPECT_EQ(plain.block(7).mark14, 100);
  EXPECT_EQ(plain.block(8).mark14, 105);
  EXPECT_EQ(plain.block(19).mark14, 105);
  EXPECT_EQ(plain.block(20).mark14, 100);
  EXPECT_EQ(dump_blocks(plain.state->track, 2, 2000), "b10:code14 v1=80");
  EXPECT_EQ(plain.slot(80).text, "(A)");
  const std::pair<const char*, const char*> quotes[] = {
      {"\"", "\""}, {"\" ", " \""}, {"\"\t ", "\t\""}, {"\"", "\"  "}};
  for (const auto& [open, close] : quotes) {
    const std::string body = line(open, close);
    SCOPED_TRACE(body);
    const Compiled quoted = compile(body);
    ASSERT_EQ(quoted.status(), 0);
    ASSERT_EQ(quoted.result.outputs, plain.result.outputs);
    for (const std::string& name : plain.result.outputs) {
      EXPECT_TRUE(read_file(quoted.dir->file(name)) == read_file(plain.dir->file(name))) << name;
    }
  }
}

TEST(LineReader, QuotedFieldsThatHoldNoWholeNumberFail) {
  struct Case {
    const char* row;
    const char* reason;  // empty: the row reads
  } cases[] = {
      {"pendenza, \"4 00\", 5", "'4 00' is not a whole number"},
      {"pendenza, \"x\", 5", "'x' is not a whole number"},
      {"pendenza, \"1.5\", 5", "'1.5' is not a whole number"},
      {"pendenza, \"400\"x, 5", "'\"400\"x' is not a whole number"},
      {"pendenza, \"400, 5", "a quoted field has no closing quote"},
      {"pendenza, \"4294967296\", 5", "'4294967296' does not fit 32 bits"},
      // Nothing inside the quotes reads as an empty field does; a blank after them ends the
      // number as it ends an unquoted one.
      {"pendenza, \"\", 5", ""},
      {"pendenza, \"400\" , 5", ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.row);
    const Compiled c = read_only(line_with_body(std::string(k.row) + "\r\n"));
    EXPECT_EQ(c.status(), *k.reason != 0 ? 25 : 0);
    EXPECT_EQ(c.result.failure_reason, k.reason);
  }
}

TEST(LineReader, CurveColumnPastTheLimitIs103) {
  const Compiled c = read_only(line_with_body("curvad1,  999000,  2000\r\n", 1000000));
  EXPECT_EQ(c.status(), 103);
  EXPECT_FALSE(c.line_source_left());
}

// The gradient tail runs after a position stop, and not after any other stop.
TEST(LineReader, GradientTailAfterAPositionStopOnly) {
  const Compiled stop15 = read_only(line_with_body("pendenza,  0,  3\r\npendenza,  99950,  1\r\n"));
  EXPECT_EQ(stop15.status(), 15);
  EXPECT_EQ(stop15.block(1997).mark14, 103);
  EXPECT_EQ(stop15.block(1998).mark14, 0);  // blocks N - 2 to N keep 0
  const Compiled stop6 =
      read_only(line_with_body("pendenza,  0,  3\r\ncartello_indicatore,  450,  (A)\r\n"
                               "cartello_indicatore,  460,  (B)\r\n"));
  EXPECT_EQ(stop6.status(), 6);
  EXPECT_EQ(stop6.block(1000).mark14, 0);
}

}  // namespace
}  // namespace scenario::testing

// The train half of the reader, through small train sources over a small line source.
#include <gtest/gtest.h>

#include "format/general_image.h"
#include "format/track_image.h"
#include "support/compile_fixture.h"

namespace scenario::testing {
namespace {

const std::string kLine = line_with_body("pendenza,   0,    0\r\n");

Compiled read_train(const std::string& rows, const std::string& line = kLine) {
  return read_only(line, train_with(rows).c_str());
}

TEST(TrainReader, GeneralRowsAndTheClock) {
  const Compiled c = read_train(
      "numero vetture,    7\r\nPercentuale Massa Frenata,    120\r\nsabbia,    300\r\n"
      "orologio,    6               54            30 \r\n");
  ASSERT_EQ(c.status(), 0);
  EXPECT_EQ(c.slot(84).long3, 7);
  EXPECT_EQ(c.slot(84).long1, 120);
  EXPECT_EQ(c.slot(86).int1, 300);
  EXPECT_EQ(c.slot(86).int3, 6);
  EXPECT_EQ(c.slot(86).int4, 54);
  EXPECT_EQ(c.slot(86).int5, 30);
  EXPECT_FALSE(c.train_source_left());
}

TEST(TrainReader, KeywordRules) {
  struct Case {
    const char* rows;
    int32_t braking;
  } cases[] = {
      {"massa frenata, 90\r\n", 90},
      {"massa, 90\r\n", 0},
      {"-- massa frenata --, 90\r\n", 0},               // a keyword in a hyphen field
      {"-----\r\n-----\r\nmassa frenata, 90\r\n", 90},  // lines of dashes hide nothing
  };
  for (const Case& k : cases) {
    const Compiled c = read_train(k.rows);
    EXPECT_EQ(c.slot(84).long1, k.braking) << k.rows;
  }
}

TEST(TrainReader, SpeedRowsFillTheirBlocks) {
  const Compiled c = read_train("velocita,       0,    75\r\nVELOCITA,    1900,   135\r\n");
  ASSERT_EQ(c.status(), 0);
  const int n = c.state->track.upper();
  for (int b = 0; b <= 37; ++b) EXPECT_EQ(c.block(b).mark13, 15) << b;
  for (int b = 38; b <= n - 3; ++b) ASSERT_EQ(c.block(b).mark13, 27) << b;
  EXPECT_EQ(c.block(n - 2).mark13, 0);
  EXPECT_EQ(c.block(n).mark13, 0);
}

TEST(TrainReader, SpeedRoundingAndTruncation) {
  struct Case {
    int speed;
    int mark;
    int status;
  } cases[] = {{137, 27, 0}, {72, 14, 0}, {1280, 0, 25}, {-5, 0, 25}};
  for (const Case& k : cases) {
    const Compiled c = read_train("velocita, 0, " + std::to_string(k.speed) + "\r\n");
    EXPECT_EQ(c.status(), k.status) << k.speed;
    EXPECT_EQ(c.block(5).mark13, k.mark) << k.speed;
  }
}

TEST(TrainReader, SpeedRowOutOfOrderWritesOneBlock) {
  const Compiled c = read_train("velocita, 0, 50\r\nvelocita, 1000, 100\r\nvelocita, 500, 30\r\n");
  EXPECT_EQ(c.block(19).mark13, 10);
  EXPECT_EQ(c.block(20).mark13, 20);  // the 500 m row writes the cursor block with 100 km/h
  EXPECT_EQ(c.block(21).mark13, 6);
}

TEST(TrainReader, AdhesionKeepsItsLowByte) {
  const Compiled c = read_train("aderenza, 0, 300\r\naderenza, 500, 100\r\n");
  EXPECT_EQ(c.block(0).mark15, 44);
  EXPECT_EQ(c.block(9).mark15, 44);
  EXPECT_EQ(c.block(10).mark15, 100);
}

TEST(TrainReader, ACompleteRowOnTheLastLineIsApplied) {
  const Compiled c = read_only(kLine, "[generale]\r\nvelocita, 0, 50\r\nvelocita, 1000, 100");
  EXPECT_EQ(c.block(19).mark13, 10);
  EXPECT_EQ(c.block(20).mark13, 20);
}

TEST(TrainReader, StationsAreasMarkersAndMarks) {
  const Compiled c = read_train(
      "stazione,      50, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,    1,   6,55, 0, VAL D'ORNO\r\n"
      "stazione,    9000, 22,  600,  0, 3, 1,  0,0,0,  2,0,0,   30,   7, 6, 0, SAN PIO\r\n"
      "stazione,   20000, 25,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, BORGO\r\n"
      "stazione,   88500,  6,  800,  1, 0, 0,  0,0,0,  0,0,0,    0,   8, 0, 0, QUERNO\r\n");
  ASSERT_EQ(c.status(), 0);
  const GeneralEntry& s1 = c.slot(1);
  EXPECT_EQ(s1.long1, -300);
  EXPECT_EQ(s1.long2, 400);
  EXPECT_EQ(s1.long3, 50);
  EXPECT_EQ(s1.code, 12);
  EXPECT_EQ(s1.text, "VAL D'ORNO");
  EXPECT_EQ(s1.long4, (6 * 60 + 55) * 60);
  EXPECT_EQ(s1.int3, 4);
  EXPECT_EQ(s1.byte2, 1);
  EXPECT_EQ(dump_blocks(c.state->track, 0, 10, true),
            "b3:m11=84 b4:m11=83 b5:m11=82 b6:m11=81 b7:code10 v1=1");
  const GeneralEntry& s2 = c.slot(2);
  EXPECT_EQ(s2.long1, 8700);
  EXPECT_EQ(s2.long2, 9350);
  EXPECT_EQ(s2.byte3, 1);
  EXPECT_EQ(s2.byte4, 3);  // kept: L >= 600
  EXPECT_EQ(dump_blocks(c.state->track, 180, 190, true),
            "b182:m11=84 b183:m11=83 b184:m11=82 b185:m11=81 b186:code10 v1=2");
  // Kind 25 and above: a slot but no marks.
  EXPECT_EQ(c.slot(3).text, "BORGO");
  EXPECT_EQ(dump_blocks(c.state->track, 390, 410, true), "");
  const GeneralEntry& s4 = c.slot(4);
  EXPECT_EQ(s4.long1, 87700);
  EXPECT_EQ(s4.long2, 88650);
  EXPECT_EQ(s4.flag, 1);
  EXPECT_EQ(dump_blocks(c.state->track, 1760, 1780, true), "b1772:code10 v1=4");
}

TEST(TrainReader, StationFieldsForcedToZero) {
  // Slot 1 drops fields 5 and 6; a short station drops field 5; kinds 5 to 8 drop field 6.
  const Compiled c = read_train(
      "stazione,  1000, 12,  700, 0, 9, 1, 0,0,0, 0,0,0, 0, 0,0,0, A\r\n"
      "stazione,  3000, 12,  500, 0, 9, 1, 0,0,0, 0,0,0, 0, 0,0,0, B\r\n"
      "stazione,  6000,  7,  300, 0, 9, 1, 0,0,0, 0,0,0, 0, 0,0,0, C\r\n");
  ASSERT_EQ(c.status(), 0);
  EXPECT_EQ(c.slot(1).byte3 + c.slot(1).byte4, 0);
  EXPECT_EQ(c.slot(1).long2, 1400);  // the extension still counts for the area
  EXPECT_EQ(c.slot(2).byte4, 0);
  EXPECT_EQ(c.slot(2).byte3, 1);
  EXPECT_EQ(c.slot(3).byte3, 0);
  EXPECT_EQ(c.slot(3).long1, 5700);
  EXPECT_EQ(c.slot(3).long2, 6300);
}

std::string station(int p, int kind = 12, int length = 200) {
  return "stazione, " + std::to_string(p) + ", " + std::to_string(kind) + ", " +
         std::to_string(length) + ", 0,0,0,0,0,0,0,0,0,0, 0,0,0, S" + std::to_string(p) + "\r\n";
}

TEST(TrainReader, StationCeilingBelowTheBoards) {
  std::string stations;
  for (int i = 0; i < 79; ++i) stations += station(1000 + 1000 * i);
  const Compiled none = read_train(stations);
  EXPECT_EQ(none.status(), 10);
  EXPECT_EQ(none.position(), 0);          // code 10 sets no position
  EXPECT_EQ(none.slot(79).long3, 79000);  // the 79th is filled before the stop
  EXPECT_EQ(none.slot(78).text, "S78000");

  std::string fewer;
  for (int i = 0; i < 78; ++i) fewer += station(1000 + 1000 * i);
  EXPECT_EQ(read_train(fewer).status(), 0);

  // Three boards move the ceiling down by three.
  const std::string line = line_with_body(
      "cartello_indicatore, 90000, (A)\r\ncartello_indicatore, 90500, (B)\r\n"
      "cartello_indicatore, 91000, (C)\r\n");
  std::string s75;
  for (int i = 0; i < 75; ++i) s75 += station(1000 + 1000 * i);
  EXPECT_EQ(read_train(s75, line).status(), 0);
  EXPECT_EQ(read_train(s75 + station(80000), line).status(), 10);
  EXPECT_EQ(read_train(s75 + station(80000), line).slot(78).text, "(C)");
}

// With 80 boards the last one's text is in slot 1, where the first station would go: the
// station row is still read and checked as any other, and marks the track, but the board keeps
// its whole slot, and then the ceiling stops the reading with code 10.
TEST(TrainReader, AStationAfterEightyBoardsKeepsTheLastBoardsSlot) {
  std::string boards;
  for (int i = 1; i <= 80; ++i) {
    boards += "cartello_indicatore, " + std::to_string(900 + 100 * i) + ", (B" + std::to_string(i) +
              ")\r\n";
  }
  const std::string line = line_with_body(boards);
  GeneralEntry board80;
  board80.text = "(B80)";
  struct Case {
    const char* name;
    std::string row;
    int status;
    int position;
    const char* marks;  // the track's blocks 2 to 20 (the boards lie in blocks 21 to 179)
    bool filled;        // the end fills were made
  } cases[] = {
      // Area -300 to 400: stop marker in block 400 / 50 - 1 = 7, approach marks in 6 to 3.
      {"at 50", "stazione, 50, 12, 700, 0,0,0, 1,1,0, 4,1,1, 1, 6,55,0, VAL\r\n", 10, 0,
       "b3:m11=84 b4:m11=83 b5:m11=82 b6:m11=81 b7:code10 v1=1", false},
      {"at 75", station(75), 8, 75, "", false},
      // (99950 + 800) / 50 = 2015 > N = 2000.
      {"past the track", station(99950), 15, 99950, "", true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const Compiled c =
        compile(line, train_with("velocita, 0, 50\r\n" + k.row + station(20000)).c_str());
    EXPECT_EQ(c.status(), k.status);
    EXPECT_EQ(c.position(), k.position);
    EXPECT_FALSE(c.train_source_left());
    // What the compiled files hold.
    const Decoded<GeneralTable> sim = decode_general(read_file(c.dir->file("T_1.sim")));
    ASSERT_TRUE(sim.ok());
    EXPECT_EQ(sim.value()[1], board80);
    EXPECT_EQ(sim.value()[2].text, "(B79)");
    const Decoded<std::vector<TrackBlock>> dat = decode_track(read_file(c.dir->file("T_1.dat")));
    ASSERT_TRUE(dat.ok());
    ASSERT_EQ(dat.value().size(), 2001u);
    TrackArray track;
    track.create(93000);
    for (size_t b = 0; b < dat.value().size(); ++b) track[static_cast<int64_t>(b)] = dat.value()[b];
    EXPECT_EQ(dump_blocks(track, 2, 20, true), k.marks);
    EXPECT_EQ(track[21].code, kIndicationBoard);
    EXPECT_EQ(track[179].value1, 1);  // the 80th board, text in slot 1
    EXPECT_EQ(track[100].mark13 == 10, k.filled);
    // The station at 20000 m is never reached.
    EXPECT_EQ(dump_blocks(track, 390, 410, true), "");
  }
}

// A number field may be quoted as a text field may: it reads as the number inside.
TEST(TrainReader, QuotedNumberFieldsReadAsTheNumberInside) {
  const auto rows = [](const std::string& q) {
    return "velocita, 0, " + q + "50" + q + "\r\nvelocita, " + q + "500" + q +
           ", 100\r\nstazione, " + q + "9000" + q + ", 22, " + q + "600" + q +
           ", 0, 3, 1, 0,0,0, 2,0,0, 30, 7, 6, 0, SAN PIO\r\n";
  };
  const Compiled plain = compile(kLine, train_with(rows("")).c_str());
  ASSERT_EQ(plain.status(), 0);
  // 50 km/h = 10 steps of 5 in blocks 0 to 9, then 100 km/h from block round(500 / 50) = 10;
  // the station's area is 9000 - 300 to 9000 + 300 + 50: stop marker in block 9350 / 50 - 1 = 186.
  EXPECT_EQ(plain.block(9).mark13, 10);
  EXPECT_EQ(plain.block(10).mark13, 20);
  EXPECT_EQ(plain.slot(1).long1, 8700);
  EXPECT_EQ(plain.slot(1).long2, 9350);
  EXPECT_EQ(plain.slot(1).long3, 9000);
  EXPECT_EQ(dump_blocks(plain.state->track, 180, 190), "b186:code10 v1=1");
  for (const char* q : {"\"", " \""}) {
    const std::string train = train_with(rows(q));
    SCOPED_TRACE(train);
    const Compiled quoted = compile(kLine, train.c_str());
    ASSERT_EQ(quoted.status(), 0);
    ASSERT_EQ(quoted.result.outputs, plain.result.outputs);
    for (const std::string& name : plain.result.outputs) {
      EXPECT_TRUE(read_file(quoted.dir->file(name)) == read_file(plain.dir->file(name))) << name;
    }
  }
  const Compiled bad = read_train("velocita, \"5OO\", 50\r\n");
  EXPECT_EQ(bad.status(), 25);
  EXPECT_EQ(bad.result.failure_reason, "'5OO' is not a whole number");
}

TEST(TrainReader, Statuses) {
  struct Case {
    const char* name;
    std::string rows;
    int status;
    int position;
    bool filled;  // the end fills were made
  } cases[] = {
      {"station not multiple of 50", station(1000) + station(3075), 8, 3075, false},
      {"station length", station(1000) + station(3000, 12, 650), 9, 3000, false},
      {"stations 300 m apart", station(1000, 12, 200) + station(1500, 12, 200), 22, 1500, false},
      {"stop marker at block 1", station(50, 12, 100), 24, 0, false},
      {"station beyond", station(99300), 15, 99300, true},
      {"speed beyond", "velocita, 99950, 10\r\n", 15, 99950, true},
      {"code cut", "abbattimento, 1000, 7\r\nabbattimento, 1010, 0\r\n", 7, 1010, false},
      {"signal twice",
       "segnale, 2900, 1,1,1,0,0,0,0,0,0,0\r\nsegnale, 2900, 1,1,1,0,0,0,0,0,0,0\r\n", 16, 2900,
       false},
      {"signal on a station marker", station(1000) + "segnale, 1000, 1,1,1,0,0,0,0,0,0,0\r\n", 16,
       1000, false},
      {"slowdown warning taken",
       "segnale, 650, 1,1,1,0,0,0,0,0,0,0\r\n"
       "rallentamento, 1850, 100, 1200, 0, 1, 100\r\n",
       17, 1850, false},
      {"slowdown start taken",
       "segnale, 3000, 1,1,1,0,0,0,0,0,0,0\r\n"
       "rallentamento, 3000, 100, 1200, 0, 1, 100\r\n",
       18, 3000, false},
      {"slowdown end taken",
       "segnale, 4200, 1,1,1,0,0,0,0,0,0,0\r\n"
       "rallentamento, 3000, 100, 1200, 0, 1, 100\r\n",
       19, 3000, false},
      {"pre-warning on a station",
       station(1700, 12, 200) + "rallentamento, 3000, 100, 1200, 0, 1, 100\r\n", 20, 3000, false},
      {"signal before block 0 refused", "segnale, -200, 1,1,1,0,0,0,0,0,0,0\r\n", 15, -200, true},
      {"slowdown end beyond", "rallentamento, 3000, 100, 999999, 0, 1, 100\r\n", 15, 3000, true},
      {"byte field too big", "stazione, 1000, 300, 200, 0,0,0,0,0,0,0,0,0,0, 0,0,0, X\r\n", 25, 0,
       false},
      {"row cut by the end", "segnale, 2900, 1, 2", 25, 0, false},
  };
  for (const Case& k : cases) {
    const Compiled c = read_train("velocita, 0, 50\r\n" + k.rows);
    EXPECT_EQ(c.status(), k.status) << k.name;
    EXPECT_EQ(c.position(), k.position) << k.name;
    EXPECT_FALSE(c.train_source_left()) << k.name;
    EXPECT_EQ(c.block(100).mark13 == 10, k.filled) << k.name;
  }
}

TEST(TrainReader, EndFillsRunAfterAPositionStopAndWithoutGenerale) {
  const Compiled stop = read_train("velocita, 0, 50\r\nvelocita, 99950, 10\r\n");
  EXPECT_EQ(stop.status(), 15);
  EXPECT_EQ(stop.block(1000).mark13, 10);
  const Compiled none = read_only(kLine, "velocita, 0, 50\r\n");
  EXPECT_EQ(none.status(), 0);
  EXPECT_EQ(none.block(1000).mark13, 0);
  EXPECT_FALSE(none.train_source_left());
}

TEST(TrainReader, ALinePositionStopDoesNotStopTheTrainRows) {
  const std::string line = line_with_body("pendenza, 99950, 1\r\n");
  const Compiled c = read_train("segnale, 2900, 1,1,1,0,0,0,0,0,0,0\r\nvelocita, 0, 50\r\n", line);
  EXPECT_EQ(c.status(), 15);
  EXPECT_EQ(c.block(59).code, kSignal);
  EXPECT_EQ(c.block(1000).mark13, 10);
}

TEST(TrainReader, ProgressiveBoundsAreChecked) {
  const std::string line =
      "[generale]\r\nlunghezza percorso, 93000\r\nprogressiva chilometrica uno, 0, 75730, 0\r\n"
      "[curve]\r\n[fine]\r\n";
  const Compiled c = read_only(line, "[generale]\r\nvelocita, 99950, 10\r\n");
  EXPECT_EQ(c.status(), 2);  // replaces the 15
  EXPECT_EQ(c.position(), 99950);
}

// No file, or a file without a single field: the first read of the train half fails.
TEST(TrainReader, MissingOrEmptyTrainSourceIsAReadFailure) {
  const char* const sources[] = {nullptr, "", "\r\n   \r\n"};
  for (const char* train : sources) {
    const Compiled c = read_only(kLine, train);
    EXPECT_EQ(c.status(), 25) << (train ? train : "no file");
    EXPECT_TRUE(c.state->track.exists());
    EXPECT_FALSE(c.line_source_left());
    EXPECT_FALSE(c.train_source_left());
  }
}

// The adhesion cursor has no stop of its own: each row writes at least one block, so on a
// track of blocks 0 to 140 the 141st row leaves the cursor past the end and the fill fails.
TEST(TrainReader, AdhesionRowsRunningOffTheTrackFail) {
  const std::string line = line_with_body("pendenza,   0,    0\r\n", 0);
  const auto rows = [](int n) {
    std::string r;
    for (int i = 1; i <= n; ++i) r += "aderenza, 50, " + std::to_string(i) + "\r\n";
    return r;
  };
  const Compiled fits = read_train(rows(140), line);
  ASSERT_EQ(fits.status(), 0);
  EXPECT_EQ(fits.block(139).mark15, 139);
  EXPECT_EQ(fits.block(140).mark15, 140);  // the fill's one block
  EXPECT_EQ(read_train(rows(141), line).status(), 25);
  EXPECT_EQ(read_train(rows(142), line).status(), 25);
}

TEST(TrainReader, CodeCutRows) {
  const Compiled c = read_train("abbattimento, 1000, 70000\r\nabbattimento, 2000, -1\r\n");
  ASSERT_EQ(c.status(), 0);
  EXPECT_EQ(dump_blocks(c.state->track, 0, 100), "b20:code12 v1=4464 b40:code13");
}

}  // namespace
}  // namespace scenario::testing

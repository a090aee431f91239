// Signals and slowdowns on the track, through train sources.
#include <gtest/gtest.h>

#include "support/compile_fixture.h"

namespace scenario::testing {
namespace {

const std::string kLine = line_with_body("pendenza,   0,    0\r\n");

Compiled read_train(const std::string& rows) { return read_only(kLine, train_with(rows).c_str()); }

TEST(TrainRecorders, SignalsOfTheWorkedExamples) {
  const Compiled c = read_train(
      "segnale,    1850,   1, 3, 1,  0, 0,    1,  5,6,0, 0\r\n"
      "segnale,    2900,   2, 4, 1,  0, 0,    2,  2,4,0, 190\r\n");
  ASSERT_EQ(c.status(), 0);
  EXPECT_EQ(dump_blocks(c.state->track, 0, 100, true),
            "b30:m11=44 b32:m11=43 b34:m11=42 b36:m11=41 b38:code1 v1=35 v2=16 v4=4 "
            "b51:m11=84 b53:m11=83 b55:m11=82 b57:m11=81 b59:code1 v1=42 v2=14 v4=8 m10=190");
}

TEST(TrainRecorders, SignalFieldElevenAndApproachMarksAtTheStart) {
  struct Case {
    const char* row;
    int block;
    int mark10;
    int mark11_block0;
  } cases[] = {
      {"segnale, 5000, 2,0,0,0,0,0,0,0,0, 50", 101, 101, 0},
      {"segnale, 5000, 2,0,0,0,0,0,0,0,0, 0", 101, 0, 0},
      {"segnale, 5000, 1,0,0,0,0,0,0,0,0, 50", 101, 0, 0},
      {"segnale, 350, 1,0,0,0,0,0,0,0,0, 0", 8, 0, 34},
      {"segnale, 325, 1,0,0,0,0,0,0,0,0, 0", 8, 0, 34},  // round(7.5) = 8
      {"segnale, 100, 1,0,0,0,0,0,0,0,0, 0", 3, 0, 0},   // marks before block 0 dropped
  };
  for (const Case& k : cases) {
    const Compiled c = read_train(std::string(k.row) + "\r\n");
    ASSERT_EQ(c.status(), 0) << k.row;
    EXPECT_EQ(c.block(k.block).code, kSignal) << k.row;
    EXPECT_EQ(c.block(k.block).mark10, k.mark10) << k.row;
    EXPECT_EQ(c.block(0).mark11, k.mark11_block0) << k.row;
  }
}

TEST(TrainRecorders, SignalMayTakeAMountainFiller) {
  const Compiled c = read_only(line_with_body("montagna, 1000, 1200, 12\r\n"),
                               train_with("segnale, 1100, 1,0,0,0,0,0,0,0,0, 0\r\n").c_str());
  ASSERT_EQ(c.status(), 0);
  EXPECT_EQ(c.block(23).code, kSignal);
}

TEST(TrainRecorders, SlowdownOfTheWorkedExample) {
  const Compiled c = read_train("rallentamento,   66850,   100, 1200, 0,  1,  100\r\n");
  ASSERT_EQ(c.status(), 0);
  EXPECT_EQ(dump_blocks(c.state->track, 1300, 1400),
            "b1310:code5 v1=4 v2=4 b1311:code5 v1=3 v2=3 b1312:code5 v1=2 v2=2 "
            "b1313:code5 v1=1 v2=1 b1314:code4 v1=100 v2=100 b1338:code3 v1=100 v2=100 "
            "b1362:code2 v1=100 v2=100");
}

TEST(TrainRecorders, SlowdownWarningOnlyBeyond1500) {
  struct Case {
    const char* row;
    const char* dump;
  } cases[] = {
      {"rallentamento, 1500, 60, 100, 0, 1, 0", "b31:code3 v1=60 b33:code2 v1=60"},
      {"rallentamento, 1550, 60, 100, 7, 1, 0",
       "b4:code5 v1=4 b5:code5 v1=3 b6:code5 v1=2 b7:code5 v1=1 b8:code4 v1=60 "
       "b32:code3 v1=60 v3=7 b34:code2 v1=60 v3=7"},
      {"rallentamento, 1550, 60, 100, 0, 0, 0", "b8:code4 v1=60 b32:code3 v1=60 b34:code2 v1=60"},
  };
  for (const Case& k : cases) {
    const Compiled c = read_train(std::string(k.row) + "\r\n");
    ASSERT_EQ(c.status(), 0) << k.row;
    EXPECT_EQ(dump_blocks(c.state->track, 0, 60), k.dump) << k.row;
  }
}

TEST(TrainRecorders, PreWarningOnATakenBlockKeepsTheOtherMarks) {
  const Compiled c = read_train(
      "stazione, 1700, 12, 200, 0,0,0,0,0,0,0,0,0,0, 0,0,0, S\r\n"
      "rallentamento, 3000, 100, 1200, 0, 1, 100\r\n");
  EXPECT_EQ(c.status(), 20);
  EXPECT_EQ(c.block(61).code, kSlowdownStart);
  EXPECT_EQ(c.block(85).code, kSlowdownEnd);
  EXPECT_EQ(c.block(37).code, kSlowdownWarning);
  EXPECT_EQ(c.block(35).code, kStopMarker);
}

// The reader notes each row against the blocks its recorder says it wrote: every block the
// slowdown coded, and no other, carries the row's line.
TEST(TrainRecorders, RecordersGiveTheBlocksTheyWrote) {
  const Compiled c = read_train("rallentamento, 3800, 60, 200, 0, 1, 7\r\n");
  ASSERT_EQ(c.status(), 0);
  const std::string coded = dump_blocks(c.state->track, 0, 100);
  // Pre-warnings 49 to 52, the warning 53, the start 77 and the end 81.
  EXPECT_EQ(coded,
            "b49:code5 v1=4 v2=4 b50:code5 v1=3 v2=3 b51:code5 v1=2 v2=2 b52:code5 v1=1 v2=1 "
            "b53:code4 v1=60 v2=7 b77:code3 v1=60 v2=7 b81:code2 v1=60 v2=7");
  const BlockOrigins& o = c.read.blocks;
  for (int64_t b = 0; b <= 100; ++b) {
    const bool written = c.block(b).code != 0;
    EXPECT_EQ(o.line.at(static_cast<size_t>(b)), written ? 2 : 0) << b;
  }
}

}  // namespace
}  // namespace scenario::testing

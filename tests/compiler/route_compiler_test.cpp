// The compiler's code-cut points, reserved fields and outcome, on hand-made tracks and sources.
#include "compiler/route_compiler.h"

#include <gtest/gtest.h>

#include "compiler/errore.h"
#include "support/compile_fixture.h"

namespace scenario::testing {
namespace {

// A bare track of 2001 blocks with the given codes placed, post-processed.
struct Track {
  BuildState state;
  Track() { state.track.create(93000); }
  Track& put(int64_t b, uint8_t code, int16_t v1 = 0) {
    state.track[b].code = code;
    state.track[b].value1 = v1;
    return *this;
  }
  std::string run(int64_t from, int64_t to) {
    post_process_track(state);
    return dump_blocks(state.track, from, to);
  }
};

TEST(RouteCompiler, PointsBeforeEverySignalNearAWarning) {
  Track t;
  t.put(500, kSlowdownWarning).put(490, kSignal).put(481, kSignal).put(470, kSignal);
  // The signal 30 blocks back is beyond the look-back of 20.
  EXPECT_EQ(t.run(460, 500),
            "b470:code1 b480:code12 v1=180 b481:code1 b489:code12 v1=180 b490:code1 b500:code4");
}

TEST(RouteCompiler, ExistingCodeCutPointsAreLoweredNotDoubled) {
  Track a;
  a.put(500, kSlowdownWarning)
      .put(490, kSignal)
      .put(489, kCodeCutValue, 250)
      .put(488, kCodeCutValue, 300);
  EXPECT_EQ(a.run(480, 500), "b488:code12 v1=300 b489:code12 v1=180 b490:code1 b500:code4");
  Track b;
  b.put(500, kSlowdownWarning).put(490, kSignal).put(489, kCodeCutValue, 100);
  // p is taken but q is free: the point goes on q, and p keeps its value.
  EXPECT_EQ(b.run(480, 500), "b488:code12 v1=180 b489:code12 v1=100 b490:code1 b500:code4");
  Track c;
  c.put(500, kSlowdownWarning).put(490, kSignal).put(489, kStopMarker).put(488, kSignal);
  c.state.track[487].code = kIndicationBoard;
  c.state.track[486].code = kIndicationBoard;
  post_process_track(c.state);
  EXPECT_EQ(c.state.read_status, 11);
  EXPECT_EQ(c.state.read_status_position, 488 * 50);
}

TEST(RouteCompiler, GroupsBeforeASlowdownStart) {
  struct Case {
    int64_t start;
    const char* dump;
  } cases[] = {
      {7, "b7:code3 v1=120 b8:code2 v1=120"},
      {8, "b3:code12 v1=180 b8:code3 v1=120 b9:code2 v1=120"},
      {21,
       "b3:code12 v1=180 b10:code12 v1=180 b16:code12 v1=180 b21:code3 v1=120 b22:code2 v1=120"},
  };
  for (const Case& k : cases) {
    Track t;
    t.put(k.start, kSlowdownStart, 120).put(k.start + 1, kSlowdownEnd, 120);
    EXPECT_EQ(t.run(0, 40), k.dump) << k.start;
    EXPECT_EQ(t.state.read_status, 0);
  }
  Track full;
  full.put(100, kSlowdownStart, 120).put(101, kSlowdownEnd, 120);
  for (int b : {93, 94, 95}) full.put(b, kSignal);
  post_process_track(full.state);
  EXPECT_EQ(full.state.read_status, 12);
  EXPECT_EQ(full.state.read_status_position, 5000);
  EXPECT_EQ(full.state.track[89].code, kCodeCutValue);  // the next group is still tried
}

TEST(RouteCompiler, TheWalkThroughASlowSlowdown) {
  Track fast;
  fast.put(100, kSlowdownStart, 110).put(120, kSlowdownEnd, 110);
  EXPECT_EQ(fast.run(101, 119), "");
  Track slow;
  slow.put(100, kSlowdownStart, 100).put(120, kSlowdownEnd, 100);
  EXPECT_EQ(slow.run(101, 119), "b108:code12 v1=180 b116:code12 v1=180");
  // A busy eighth block moves the point to w - 1, and the count restarts from there.
  Track shifted;
  shifted.put(100, kSlowdownStart, 100).put(130, kSlowdownEnd, 100).put(108, kSignal);
  EXPECT_EQ(shifted.run(101, 129),
            "b107:code12 v1=180 b108:code1 b115:code12 v1=180 b123:code12 v1=180");
}

TEST(RouteCompiler, TheWalkAroundTakenBlocks) {
  // The eighth block and the one before are taken: the point goes one further and the count
  // starts from -1, so the next point is nine blocks on.
  Track ahead;
  ahead.put(100, kSlowdownStart, 100).put(140, kSlowdownEnd, 100);
  ahead.put(107, kSignal).put(108, kSignal);
  EXPECT_EQ(ahead.run(101, 139),
            "b107:code1 b108:code1 b109:code12 v1=180 b117:code12 v1=180 b125:code12 v1=180 "
            "b133:code12 v1=180");
  EXPECT_EQ(ahead.state.read_status, 0);
  // All three taken: 13 at the eighth block, and the count, left at 8, places nothing more.
  Track blocked;
  blocked.put(100, kSlowdownStart, 100).put(140, kSlowdownEnd, 100);
  blocked.put(107, kSignal).put(108, kSignal).put(109, kSignal);
  EXPECT_EQ(blocked.run(101, 139), "b107:code1 b108:code1 b109:code1");
  EXPECT_EQ(blocked.state.read_status, 13);
  EXPECT_EQ(blocked.state.read_status_position, 108 * 50);
}

TEST(RouteCompiler, SignalAfterTheEndIsSearchedTwelveBlocksOn) {
  for (const int64_t signal : {122, 123}) {
    Track t;
    t.put(100, kSlowdownStart, 130).put(110, kSlowdownEnd, 130).put(signal, kSignal);
    const std::string point = signal == 122 ? "b121:code12 v1=180 " : "";
    EXPECT_EQ(t.run(111, 125), point + "b" + std::to_string(signal) + ":code1") << signal;
  }
  // A fast slowdown without an end: nothing to search after, and no status.
  Track open;
  open.put(100, kSlowdownStart, 130).put(105, kSignal);
  EXPECT_EQ(open.run(101, 120), "b105:code1");
  EXPECT_EQ(open.state.read_status, 0);
}

TEST(RouteCompiler, SignalAfterTheEnd) {
  Track t;
  t.put(100, kSlowdownStart, 130).put(110, kSlowdownEnd, 130).put(118, kSignal);
  EXPECT_EQ(t.run(110, 125), "b110:code2 v1=130 b117:code12 v1=180 b118:code1");
  Track taken;
  taken.put(100, kSlowdownStart, 130).put(110, kSlowdownEnd, 130).put(118, kSignal);
  taken.put(117, kIndicationBoard).put(116, kIndicationBoard);
  post_process_track(taken.state);
  EXPECT_EQ(taken.state.read_status, 13);
  EXPECT_EQ(taken.state.read_status_position, 110 * 50);
}

TEST(RouteCompiler, AWalkWithoutAnEndStopsAtTheLastBlock) {
  Track t;
  t.put(1990, kSlowdownStart, 50);
  post_process_track(t.state);
  EXPECT_EQ(t.state.read_status, 13);
  EXPECT_EQ(t.state.read_status_position, 2000 * 50);
}

TEST(RouteCompiler, StampsAndWritesTheCompiledFiles) {
  const Compiled c = compile(line_with_body("pendenza, 0, 0\r\n"), "[generale]\r\nsabbia, 300\r\n");
  ASSERT_EQ(c.status(), 0);
  EXPECT_EQ(c.block(1).value1, 5121);
  EXPECT_EQ(c.block(1).value2, 2527);  // "1t" and the fill text
  EXPECT_EQ(c.slot(85).int1, 610);
  EXPECT_EQ(c.slot(85).long4, 33945);
  EXPECT_EQ(c.result.outputs, (std::vector<std::string>{"T_linea.dat", "T_1.sim", "T_1.dat"}));
  EXPECT_EQ(read_file(c.dir->file("T_1.dat")).size(), 30015u);
  EXPECT_EQ(read_file(c.dir->file("T_linea.dat")).size(), 1999964u);
  EXPECT_EQ(read_file(c.dir->file("T_1.sim")).size(), 2958u + 2);
}

TEST(RouteCompiler, WithoutTheBuildFlagNoCurveFile) {
  const Compiled c = compile(line_with_body("pendenza, 0, 0\r\n"), "[generale]\r\n", 0);
  EXPECT_EQ(c.result.outputs, (std::vector<std::string>{"T_1.sim", "T_1.dat"}));
}

TEST(RouteCompiler, CompilerCodesStillWriteTheFiles) {
  // The three blocks of the first group before the start at block 77 hold boards.
  const Compiled c = compile(line_with_body("cartello_indicatore, 3450, (A)\r\n"
                                            "cartello_indicatore, 3500, (B)\r\n"
                                            "cartello_indicatore, 3550, (C)\r\n"),
                             train_with("rallentamento, 3800, 120, 200, 0, 0, 0\r\n").c_str());
  EXPECT_EQ(c.status(), 12);
  EXPECT_EQ(c.position(), 77 * 50);
  EXPECT_EQ(c.result.outputs.size(), 3u);
  EXPECT_EQ(c.outcome.status.file, "T_1-.txt");
  EXPECT_EQ(c.outcome.status.line, 2);
}

TEST(RouteCompiler, NoTrackNoFiles) {
  for (const char* line : {"", "[generale]\r\nlunghezza percorso, 1000001\r\n[curve]\r\n",
                           "[generale]\r\nlunghezza percorso, x\r\n"}) {
    const Compiled c = compile(line);
    EXPECT_NE(c.status(), 0) << line;
    EXPECT_TRUE(c.result.outputs.empty()) << line;
    for (const std::string& f : list_dir(c.dir->path())) EXPECT_EQ(f, "T_1-.txt") << line;
  }
}

TEST(RouteCompiler, ReservedFieldsAlreadyUsedEndTheBuild) {
  struct Case {
    std::string line;
    std::string train;
    const char* number;
  } cases[] = {
      {line_with_body("cartello_indicatore, 0, (A)\r\n"), "[generale]\r\n", "1250"},
      {line_with_body(""), train_with("segnale, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0\r\n"), "1251"},
  };
  for (const Case& k : cases) {
    // The compile returns the number; it prints nothing itself.
    ::testing::internal::CaptureStderr();
    const Compiled c = compile(k.line, k.train.c_str());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(c.outcome.errore.has_value()) << k.number;
    EXPECT_EQ(std::to_string(c.outcome.errore->code), k.number);
    EXPECT_TRUE(c.outcome.outputs.empty());
    EXPECT_TRUE(list_dir(c.dir->path()).empty()) << k.number;  // no compiled file
  }
}

TEST(RouteCompiler, Minimo) {
  EXPECT_EQ(minimo(180, 250), 180);
  EXPECT_EQ(minimo(180, 100), 100);
  EXPECT_EQ(minimo(180, 180), 180);
}

}  // namespace
}  // namespace scenario::testing

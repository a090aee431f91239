// Generated scenarios: they must compile clean at every length and keep the promised densities.
#include "support/scenario_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "support/compile_fixture.h"

namespace scenario::testing {
namespace {

using testing::generate_scenario;

// Rows of the source whose line begins with keyword.
int rows_of(const std::string& source, const std::string& keyword) {
  int n = 0;
  for (size_t at = 0; (at = source.find("\n" + keyword, at)) != std::string::npos; ++at) ++n;
  return n;
}

int blocks_with_code(const TrackArray& track, uint8_t code) {
  return static_cast<int>(std::count_if(track.blocks().begin(), track.blocks().end(),
                                        [code](const TrackBlock& b) { return b.code == code; }));
}

TEST(ScenarioGenerator, CompilesCleanWithTheDensitiesOfARealLine) {
  // The shortest route, the built-in scenario's length, and the benchmarked ones.
  for (const int km : {20, 93, 100, 300, 1000}) {
    SCOPED_TRACE(std::to_string(km) + " km");
    const int32_t length = km * 1000;
    const GeneratedSources g = generate_scenario(km);
    const Compiled c = compile(g.line, g.train.c_str());
    ASSERT_EQ(c.status(), 0) << "position " << c.position() << ": " << c.result.failure_reason;
    ASSERT_EQ(c.result.outputs.size(), 3u);
    EXPECT_EQ(c.slot(GeneralTable::kTrainAndRoute).long2, length);

    EXPECT_GE(rows_of(g.line, "curva"), length / 700 - 1);
    EXPECT_EQ(rows_of(g.line, "pendenza"), (length - 1) / 2000 + 1);
    EXPECT_GE(rows_of(g.line, "montagna"), length / 4000 - 1);

    // Items the reader placed, each on a block of its own. Signals and boards give way around
    // slowdowns, so a few are missing there.
    const TrackArray& t = c.state->track;
    const int slowdowns = std::max(1, length / 50000);
    EXPECT_EQ(blocks_with_code(t, kSlowdownStart), slowdowns);
    EXPECT_EQ(blocks_with_code(t, kSlowdownEnd), slowdowns);
    EXPECT_GE(blocks_with_code(t, kSignal), length / 2500 - 2 * slowdowns);
    EXPECT_GE(blocks_with_code(t, kSpeedBoard), length / 5000 - slowdowns);
    const int boards = blocks_with_code(t, kIndicationBoard);
    EXPECT_LE(boards, 50);
    EXPECT_GE(boards, std::min(50, length / 2000) - 3 * slowdowns);

    // Stations fill slots 1 up, below the boards' slots.
    const int stations = std::clamp(length / 5000, 2, 25);
    for (int k = 1; k <= stations; ++k) EXPECT_FALSE(c.slot(k).text.empty()) << "slot " << k;
    EXPECT_TRUE(c.slot(stations + 1).text.empty());

    // The compiler found room for every point around each slowdown: three groups before the
    // start, the walk through it and the point before its end.
    int points = 0;
    for (const TrackBlock& b : t.blocks()) points += b.code == kCodeCutValue && b.value1 == 180;
    EXPECT_GE(points, 5 * slowdowns);
  }
}

TEST(ScenarioGenerator, SameLengthSameBytes) {
  const GeneratedSources a = generate_scenario(300);
  const GeneratedSources b = generate_scenario(300);
  EXPECT_EQ(a.line, b.line);
  EXPECT_EQ(a.train, b.train);
  EXPECT_NE(a.line, generate_scenario(301).line);
}

TEST(ScenarioGenerator, VariedScenariosCompileCleanWithEveryKindOfBlockAndRow) {
  for (uint64_t seed = 1; seed <= 4; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const testing::GeneratedSources g =
        generate_scenario(120, {.seed = seed, .every_row_kind = true});
    EXPECT_NE(g.line, generate_scenario(120).line);
    const Compiled c = compile(g.line, g.train.c_str());
    ASSERT_EQ(c.status(), 0) << "position " << c.position() << ": " << c.result.failure_reason;
    const TrackArray& t = c.state->track;
    for (const uint8_t code : {1, 2, 3, 4, 5, 6, 10, 11, 12, 13, 14}) {
      EXPECT_GT(blocks_with_code(t, code), 0) << "code " << int(code);
    }
    EXPECT_TRUE(std::any_of(t.blocks().begin(), t.blocks().end(),
                            [](const TrackBlock& b) { return b.mark12 == 3; }));
    for (const char* row : {"abbattimento", "aderenza,  7000", "\"BORGO, SCALO", "\"  (CAVALCAVIA)",
                            "stazione,  10050,  5,", "stazione,  20050,  7,"}) {
      EXPECT_NE(g.line.find(row) == std::string::npos && g.train.find(row) == std::string::npos,
                true)
          << row;
    }
  }
  EXPECT_NE(generate_scenario(120, {.seed = 1, .every_row_kind = true}).train,
            generate_scenario(120, {.seed = 2, .every_row_kind = true}).train);
}

// The lines of a text, sorted: the same rows in any order give the same list.
std::vector<std::string> sorted_lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find("\r\n", at);
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(ScenarioGenerator, ShuffledRowsAreTheSameRowsInAnotherOrderAndStillCompileClean) {
  int overwritten = 0;
  for (uint64_t seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const int km = 20 + static_cast<int>(seed * 37 % 41);
    const GeneratorOptions in_order{.seed = seed, .every_row_kind = true};
    GeneratorOptions options = in_order;
    options.shuffled_rows = true;
    const GeneratedSources plain = generate_scenario(km, in_order);
    const GeneratedSources shuffled = generate_scenario(km, options);
    EXPECT_EQ(shuffled.line, plain.line);
    EXPECT_NE(shuffled.train, plain.train);
    EXPECT_EQ(sorted_lines(shuffled.train), sorted_lines(plain.train));
    const Compiled a = compile(plain.line, plain.train.c_str());
    const Compiled b = compile(shuffled.line, shuffled.train.c_str());
    ASSERT_EQ(b.status(), 0) << "position " << b.position() << ": " << b.result.failure_reason;
    // The stations keep their order (any other is a fault), so their slots are the same.
    for (int k = 0; k < GeneralTable::kSlots; ++k) EXPECT_TRUE(b.slot(k) == a.slot(k)) << k;
    overwritten += !(a.state->track.blocks() == b.state->track.blocks());
  }
  // Often enough, marks meet and the order shows in the compiled track.
  EXPECT_GE(overwritten, 5);
}

TEST(ScenarioGenerator, RefusesLengthsOutsideItsRange) {
  for (const int km : {-1, 0, kMinGeneratedKm - 1, kMaxGeneratedKm + 1}) {
    EXPECT_THROW(generate_scenario(km), std::invalid_argument) << km;
  }
}

}  // namespace
}  // namespace scenario::testing

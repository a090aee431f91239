// decompile: exact round trips from compiled files back to sources, the simplest source where
// the files allow several, and refusals of files that no clean compile writes.
#include "decompile/decompile.h"

#include <gtest/gtest.h>

#include <sstream>

#include "format/file_names.h"
#include "support/builtin_compiled.h"
#include "support/compile_fixture.h"
#include "support/round_trip.h"
#include "support/scenario_generator.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  return lines;
}

// "line N: emitted -> recovered" for every line where the two texts differ.
std::vector<std::string> differing_lines(const std::string& emitted, const std::string& recovered) {
  const std::vector<std::string> a = lines_of(emitted), b = lines_of(recovered);
  std::vector<std::string> out;
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    const std::string x = i < a.size() ? a[i] : "(none)", y = i < b.size() ? b[i] : "(none)";
    if (x != y) out.push_back("line " + std::to_string(i + 1) + ": " + x + " -> " + y);
  }
  return out;
}

TEST(Decompile, BuiltinScenarioComesBackDifferingOnlyWhereTheFilesCannotTell) {
  const BuiltinCompiled& b = builtin_compiled();
  const BuildState& s = *b.state;
  decompile::CompiledBytes bytes;
  bytes.curve_name = curve_file_name(s.identity());
  bytes.general_name = general_file_name(s.identity());
  bytes.track_name = track_file_name(s.identity());
  bytes.curve = read_file(b.curve_file);
  bytes.general = read_file(b.general_file);
  bytes.track = read_file(b.track_file);
  std::string error;
  // The files that the compile wrote to disk, not an image made for the test.
  ASSERT_EQ(false_recovery(s.scenario_name, s.train_number, bytes, &error), "");
  ASSERT_EQ(error, "");
  const decompile::DecompileOutcome d =
      decompile::decompile(bytes, s.scenario_name, s.train_number);
  const std::string line = read_file(b.dir + "/" + line_source_name(s.identity()));
  const std::string train = read_file(b.dir + "/" + train_source_name(s.identity()));
  // A range of one block shows no filler marker, so its row kind 12 reads as 2.
  EXPECT_EQ(differing_lines(line, d.line_text),
            std::vector<std::string>{
                "line 188: montagna,   1900,  1950,  12 -> montagna,   1900,  1950,  2"});
  // The blank the emitter leaves after the clock's last number is one fmt drops.
  EXPECT_EQ(differing_lines(train, d.train_text),
            std::vector<std::string>{"line 5: orologio,    6               54            30  -> "
                                     "orologio,    6               54            30"});
}

TEST(Decompile, GeneratedThousandKilometreRouteRoundTrips) {
  const testing::GeneratedSources g = testing::generate_scenario(1000);
  EXPECT_EQ(round_trip_problem("Route", "1", g.line, g.train), "");
}

TEST(Decompile, GeneratedScenariosOfEveryRowKindRoundTrip) {
  for (uint64_t seed = 1; seed <= 12; ++seed) {
    const int km = 20 + static_cast<int>(seed * 7 % 60);
    SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(km) + " km");
    const testing::GeneratedSources g =
        testing::generate_scenario(km, {.seed = seed, .every_row_kind = true});
    EXPECT_EQ(round_trip_problem("G", "7", g.line, g.train), "");
  }
}

// Rows out of route order: a later row's approach marks overwrite an earlier one's where they
// meet, so the recovered rows must be put in an order that overwrites in the same way.
TEST(Decompile, GeneratedScenariosWithShuffledRowsRoundTrip) {
  std::vector<std::string> problems;
  for (uint64_t seed = 1; seed <= 300; ++seed) {
    const int km = 20 + static_cast<int>(seed * 37 % 41);
    const testing::GeneratedSources g = testing::generate_scenario(
        km, {.seed = seed, .every_row_kind = true, .shuffled_rows = true});
    // round_trip_problem fails the test unless the generated sources compile cleanly.
    const std::string problem = round_trip_problem("G", "7", g.line, g.train);
    if (!problem.empty()) {
      problems.push_back("seed " + std::to_string(seed) + ", " + std::to_string(km) +
                         " km: " + problem);
    }
  }
  EXPECT_EQ(problems, std::vector<std::string>{});
}

// The signal and station rows of a train source as "segnale 2900" items, in file order.
std::string marking_rows(const std::string& train_text) {
  std::string out;
  for (const std::string& l : lines_of(train_text)) {
    for (const char* keyword : {"segnale", "stazione"}) {
      if (l.rfind(keyword, 0) != 0) continue;
      const size_t at = l.find_first_not_of(", ", l.find(','));
      out += (out.empty() ? "" : ", ") + std::string(keyword) + " " +
             l.substr(at, l.find(',', at) - at);
    }
  }
  return out;
}

// Where approach marks meet, the row read last keeps its own: the recovered rows come in an
// order that leaves the same marks, and in the sections' order where nothing asks otherwise.
TEST(Decompile, OrdersRowsWhoseApproachMarksMeetAsTheFilesShow) {
  // Marks on blocks 57, 55, 53, 51 and on 61, 59, 57, 55: they meet on 57 and 55.
  const std::string at2900 = "segnale, 2900, 2, 4, 1, 0, 0, 2, 2, 4, 0, 190\r\n";
  const std::string at3100 = "segnale, 3100, 1, 3, 1, 0, 0, 1, 5, 6, 0, 0\r\n";
  // Marks 81 to 84 on blocks 105 to 102; the signal at 5350 marks 106, 104, 102 and 100.
  const std::string station =
      "stazione, 5000, 12, 700, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 6, 0, 0, A\r\n";
  const std::string at5350 = "segnale, 5350, 1, 3, 1, 0, 0, 1, 5, 6, 0, 0\r\n";
  const struct {
    std::string rows;
    const char* expected;
  } cases[] = {
      {at2900 + at3100, "segnale 2900, segnale 3100"},
      {at3100 + at2900, "segnale 3100, segnale 2900"},
      {station + at5350, "stazione 5000, segnale 5350"},
      {at5350 + station, "segnale 5350, stazione 5000"},
      {at3100 + at5350 + station + at2900,
       "segnale 5350, stazione 5000, segnale 3100, segnale 2900"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rows);
    const std::string line = line_with_body("");
    const std::string train = train_with(c.rows);
    ASSERT_EQ(round_trip_problem("T", "1", line, train), "");
    const decompile::DecompileOutcome d =
        decompile::decompile(as_bytes("T", "1", compile_clean("T", "1", line, train)), "T", "1");
    EXPECT_EQ(marking_rows(d.train_text), c.expected);
  }

  // Block 57 keeps the signal at 3100's mark and block 55 the one at 2900's: each must be read
  // after the other, which no order gives.
  decompile::CompiledImages images =
      compile_clean("T", "1", line_with_body(""), train_with(at2900 + at3100));
  constexpr size_t kMark11 = 10;
  images.track[57 * 15 + kMark11] = 43;  // 3100's third mark
  images.track[55 * 15 + kMark11] = 82;  // 2900's second mark
  const decompile::DecompileOutcome d = decompile::decompile(as_bytes("T", "1", images), "T", "1");
  EXPECT_FALSE(d.ok);
  EXPECT_NE(d.error.find("mark11"), std::string::npos) << d.error;
  EXPECT_EQ(false_recovery("T", "1", as_bytes("T", "1", images)), "");
}

TEST(Decompile, PutsProgressivesInTheFirstRowsThatGiveTheSlotsBack) {
  // Ordered by use: the one progressive given in the row "tre" goes to slot 81 all the same.
  const std::string line =
      "[generale]\r\nlunghezza percorso,    93000\r\nprogressiva chilometrica tre,  0,  75700,  "
      "1\r\n[curve]\r\n[fine]\r\n";
  ASSERT_EQ(round_trip_problem("T", "1", line, train_with("")), "");
  const decompile::DecompileOutcome d = decompile::decompile(
      as_bytes("T", "1", compile_clean("T", "1", line, train_with(""))), "T", "1");
  EXPECT_NE(d.line_text.find("progressiva chilometrica uno,    0,    75700,    1\r\n"
                             "progressiva chilometrica due,    0,    0,    0\r\n"
                             "progressiva chilometrica tre,    0,    0,    0\r\n"),
            std::string::npos)
      << d.line_text;
}

// Sources where the compiled files allow more than one source: the round trip holds and the
// recovered text holds the expected row.
TEST(Decompile, WritesOneSourceWhereTheFilesAllowSeveral) {
  struct Case {
    const char* what;
    std::string line_body;
    std::string train_rows;
    const char* expected;  // a line of the recovered line or train source
    const char* absent;    // a text the recovered sources must not hold, or null
  };
  const std::string station =
      "stazione,  5000, 12, 700, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 6, 55, 0, A\r\n";
  const Case cases[] = {
      {"a point of 180 that the compiler does not place is a row", "",
       "abbattimento, 5000, 180\r\n", "abbattimento,    5000,   180", nullptr},
      {"the compiler's own points are no rows", "", "rallentamento, 30000, 60, 1200, 0, 1, 100\r\n",
       "rallentamento,   30000,    60, 1200, 0,  1,  100", "abbattimento"},
      {"a range close to the last keeps its kind after a breaking range",
       "montagna, 750, 1300, 2\r\nmontagna, 0, -5000, 0\r\nmontagna, 1350, 1800, 5\r\n", "",
       "montagna,   0,  -1000,  0", nullptr},
      {"a range close to the last is kind 3 whatever its row says",
       "montagna, 750, 1300, 2\r\nmontagna, 1350, 1800, 5\r\n", "", "montagna,   1350,  1800,  3",
       nullptr},
      {"a board under a stop marker stands on the marker's block",
       "cartello_indicatore, 5250, (CAVALCAVIA)\r\n", station,
       "cartello_indicatore,  5250,   (CAVALCAVIA)", nullptr},
      {"a curve running into the last two metres", "curvad1, 99900, 100\r\n", "",
       "curvad1,  99900,  100", nullptr},
      {"two curves end to end of one sharpness are one",
       "curvas3, 1000, 200\r\ncurvas3, 1200, 300\r\n", "", "curvas3,  1000,  500", nullptr},
      {"a speed board whose groups differ",
       "indicatori_vmax, 750, 65, 70, 75, 1, 40, 55, 60, 2\r\n", "",
       "indicatori_vmax,  750,  65,  70,  75,  1,  40,  55,  60,  2", nullptr},
      {"a signal whose field 6 only the approach marks tell", "",
       "segnale, 2900, 2, 4, 1, 0, 1, 2, 2, 4, 0, 190\r\n",
       "segnale,    2900,   2, 4, 1,  0, 1,    2,  2,4,0, 190", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string line = line_with_body(c.line_body);
    const std::string train = train_with(c.train_rows);
    ASSERT_EQ(round_trip_problem("T", "1", line, train), "");
    const decompile::DecompileOutcome d =
        decompile::decompile(as_bytes("T", "1", compile_clean("T", "1", line, train)), "T", "1");
    const std::string both = d.line_text + d.train_text;
    EXPECT_NE(both.find(std::string(c.expected) + "\r\n"), std::string::npos) << both;
    if (c.absent) {
      EXPECT_EQ(both.find(c.absent), std::string::npos) << both;
    }
  }
}

}  // namespace
}  // namespace scenario::testing

// The built-in line source as the emitter writes it: layout, row forms, counts and orderings.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "emitter/emitters.h"
#include "format/file_names.h"
#include "support/document_rows.h"
#include "support/emitted.h"

namespace scenario {
namespace {

using testing::num;
using testing::rows_of;
using testing::Section;
using testing::split;

std::vector<std::string> line_source() {
  return testing::emitted_lines(&dati_linea,
                                line_source_name(testing::builtin_state("").identity()));
}

// A section's content rows: the rows after its header, up to the next header.
constexpr Section kGeneral{0, 8};
constexpr Section kCurves{9, 126};
constexpr Section kGradients{136, 48};
constexpr Section kMountains{185, 25};
constexpr Section kSpeedBoards{211, 20};
constexpr Section kBoards{232, 55};

// The block a board at position p takes: the one after its own, halves rounded to even.
int board_block(int p) { return static_cast<int>(std::nearbyint(p / 50.0 + 1)); }

void expect_ascending(const std::vector<int>& values, const char* what) {
  for (size_t i = 1; i < values.size(); ++i) {
    EXPECT_GT(values[i], values[i - 1]) << what << " row " << i;
  }
}

TEST(LineaContent, SectionsStandAtTheirRows) {
  const auto lines = line_source();
  ASSERT_EQ(lines.size(), 289u);
  const std::map<int, std::string> headers = {
      {0, "[generale]"},   {9, "[curve]"},         {136, "[pendenze]"}, {185, "[montagne]"},
      {211, "[cartelli]"}, {232, "[indicazioni]"}, {288, "[fine]"}};
  for (const auto& [row, header] : headers) EXPECT_EQ(lines[row], header) << "row " << row;
  const std::vector<std::pair<Section, std::string>> keywords = {{kCurves, "curva"},
                                                                 {kGradients, "pendenza,"},
                                                                 {kMountains, "montagna,"},
                                                                 {kSpeedBoards, "indicatori_vmax,"},
                                                                 {kBoards, "cartello_indicatore,"}};
  for (const auto& [section, keyword] : keywords) {
    for (const auto& row : rows_of(lines, section)) EXPECT_EQ(row.rfind(keyword, 0), 0u) << row;
  }
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_FALSE(lines[i].empty()) << "row " << i;
}

TEST(LineaContent, GeneralSectionIsFixed) {
  const std::vector<std::string> expected = {
      "lunghezza percorso,    93000",
      "progressiva chilometrica uno,    0,    75700,    1",
      "progressiva chilometrica due,    75750,    88500,    1",
      "progressiva chilometrica tre,    0,    0,    0",
      "sfondo uno,    1",
      "sfondo due,    0",
      "sfondo tre,    0",
      "ripetizione segnali 4 codici,    76350,    87250",
  };
  EXPECT_EQ(rows_of(line_source(), kGeneral), expected);
}

TEST(LineaContent, CurvesHaveTheirCountsAndDoNotOverlap) {
  const auto lines = line_source();
  const auto rows = rows_of(lines, kCurves);
  ASSERT_EQ(rows.size(), 126u);
  EXPECT_EQ(lines[10], "curvas2,  200,  150");
  EXPECT_EQ(lines[11], "curvas3,  350,  100");
  EXPECT_EQ(lines[12], "curvas5,  450,  400");

  const std::regex form(R"(curva[sd][1-5],  \d+,  \d+)");
  std::map<std::string, int> by_keyword;
  std::vector<int> starts;
  int previous_end = 0;
  int longest = 0;
  std::string longest_row;
  for (const auto& row : rows) {
    EXPECT_TRUE(std::regex_match(row, form)) << row;
    const auto f = split(row);
    ASSERT_EQ(f.size(), 3u) << row;
    const int start = num(f[1]);
    const int length = num(f[2]);
    ++by_keyword[f[0]];
    starts.push_back(start);
    EXPECT_EQ(start % 50, 0) << row;
    EXPECT_EQ(length % 50, 0) << row;
    EXPECT_GE(length, 50) << row;
    EXPECT_LE(length, 1600) << row;
    EXPECT_GE(start, previous_end) << row << " starts before the previous curve ends";
    previous_end = start + length;
    if (length > longest) {
      longest = length;
      longest_row = row;
    }
  }
  const std::map<std::string, int> expected = {
      {"curvas1", 15}, {"curvas2", 25}, {"curvas3", 12}, {"curvas4", 7}, {"curvas5", 4},
      {"curvad1", 13}, {"curvad2", 23}, {"curvad3", 17}, {"curvad4", 8}, {"curvad5", 2}};
  EXPECT_EQ(by_keyword, expected);
  expect_ascending(starts, "curve");
  EXPECT_EQ(starts.front(), 200);
  EXPECT_EQ(starts.back(), 86950);
  EXPECT_EQ(longest_row, "curvad3,  12300,  1600");
}

TEST(LineaContent, GradientsRunFromZeroToTheLastRow) {
  const auto lines = line_source();
  const auto rows = rows_of(lines, kGradients);
  ASSERT_EQ(rows.size(), 48u);
  EXPECT_EQ(rows[0], "pendenza,   0,    0");
  EXPECT_EQ(rows[1], "pendenza,  400,   -6");
  EXPECT_EQ(rows[2], "pendenza,  1150,   -8");
  EXPECT_EQ(rows.back(), "pendenza,  87450,   0");
  const std::regex form(R"(pendenza,  \d+,   -?\d+)");
  std::vector<int> positions;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) {
      EXPECT_TRUE(std::regex_match(rows[i], form)) << rows[i];
    }
    const auto f = split(rows[i]);
    ASSERT_EQ(f.size(), 3u) << rows[i];
    positions.push_back(num(f[1]));
    EXPECT_EQ(positions.back() % 50, 0) << rows[i];
    EXPECT_GE(num(f[2]), -10) << rows[i];
    EXPECT_LE(num(f[2]), 6) << rows[i];
  }
  expect_ascending(positions, "gradient");
}

TEST(LineaContent, MountainsHaveTheirValuesAndSpans) {
  const auto lines = line_source();
  const auto rows = rows_of(lines, kMountains);
  ASSERT_EQ(rows.size(), 25u);
  EXPECT_EQ(rows[0], "montagna,   750,  1300,  12");
  EXPECT_EQ(rows[1], "montagna,   1900,  1950,  12");
  EXPECT_EQ(rows[2], "montagna,   3150,  3200,  2");
  const std::regex form(R"(montagna,   \d+,  \d+,  \d+)");
  std::map<int, int> by_value;
  std::vector<int> starts;
  for (const auto& row : rows) {
    EXPECT_TRUE(std::regex_match(row, form)) << row;
    const auto f = split(row);
    ASSERT_EQ(f.size(), 4u) << row;
    const int start = num(f[1]);
    const int end = num(f[2]);
    starts.push_back(start);
    EXPECT_GE(end - start, 50) << row;
    EXPECT_LE(end - start, 550) << row;
    ++by_value[num(f[3])];
  }
  EXPECT_EQ(by_value, (std::map<int, int>{{2, 17}, {12, 8}}));
  expect_ascending(starts, "mountain");
}

TEST(LineaContent, SpeedBoardsComeAloneOrInSeriesOfThree) {
  const auto lines = line_source();
  const auto rows = rows_of(lines, kSpeedBoards);
  ASSERT_EQ(rows.size(), 20u);
  EXPECT_EQ(rows[0], "indicatori_vmax,  750,  65,  75,  75,  0,  65,  75,  75,  0");
  const std::set<std::string> present(rows.begin(), rows.end());
  EXPECT_TRUE(present.count("indicatori_vmax,  23100,  75,  75,  75,  2,  ,  ,  ,  0"));
  EXPECT_TRUE(present.count("indicatori_vmax,  82150,  100,  110,  120,  2,  100,  110,  120,  2"));

  struct Board {
    int position;
    int code;
  };
  std::vector<Board> boards;
  int empty_second_groups = 0;
  for (const auto& row : rows) {
    const auto f = split(row);
    ASSERT_EQ(f.size(), 10u) << row;
    for (size_t i = 1; i < f.size(); ++i) EXPECT_EQ(f[i].rfind("  ", 0), 0u) << row;
    const bool second_empty = f[6] == "  " && f[7] == "  " && f[8] == "  ";
    if (second_empty) {
      ++empty_second_groups;
      EXPECT_EQ(num(f[9]), 0) << row;
    }
    for (int group = 0; group < (second_empty ? 1 : 2); ++group) {
      int previous = 30;
      for (int i = 0; i < 3; ++i) {
        const int speed = num(f[2 + 4 * group + i]);
        EXPECT_GE(speed, previous) << row;
        EXPECT_LE(speed, 160) << row;
        previous = speed;
      }
      const int code = num(f[5 + 4 * group]);
      EXPECT_TRUE(code >= 0 && code <= 2) << row;
    }
    boards.push_back({num(f[1]), num(f[5])});
  }
  EXPECT_EQ(empty_second_groups, 10);
  std::vector<int> positions;
  for (const auto& b : boards) positions.push_back(b.position);
  expect_ascending(positions, "speed board");
  EXPECT_EQ(positions.front(), 750);
  EXPECT_EQ(positions.back(), 86450);
  // Codes 2 and 1 only open a series; each series is 2, 1, 0 with its boards 200 to 250 m apart.
  for (size_t i = 0; i < boards.size(); ++i) {
    if (boards[i].code != 2) {
      if (boards[i].code == 1) {
        EXPECT_TRUE(i > 0 && boards[i - 1].code == 2) << rows[i];
      }
      continue;
    }
    ASSERT_LT(i + 2, boards.size()) << rows[i];
    EXPECT_EQ(boards[i + 1].code, 1) << rows[i];
    EXPECT_EQ(boards[i + 2].code, 0) << rows[i];
    for (size_t j = i; j < i + 2; ++j) {
      const int gap = boards[j + 1].position - boards[j].position;
      EXPECT_TRUE(gap >= 200 && gap <= 250) << rows[j];
    }
  }
}

TEST(LineaContent, LineSideBoardsHaveTheirKindsAndLines) {
  const auto lines = line_source();
  const auto rows = rows_of(lines, kBoards);
  ASSERT_EQ(rows.size(), 55u);
  EXPECT_EQ(split(rows[0])[1], "  450");
  const std::set<std::string> present(rows.begin(), rows.end());
  for (const char* quoted : {
           "cartello_indicatore,  2400,   (CAVALCAVIA)",
           "cartello_indicatore,  6400,   (SEGNALE DI)(PROTEZIONE)(PER  P.L. )",
           "cartello_indicatore,  6750,   (PASSAGGIO)(A LIVELLO)(Km 68+905)",
           "cartello_indicatore,  70050,   ( ___ )(|_|_|)(|/_/|)",
           "cartello_indicatore,  76300,   (SEGNALE DI )(INIZIO ZONA)(CODIFICATA )",
       }) {
    EXPECT_TRUE(present.count(quoted)) << quoted;
  }

  const std::regex form(R"(cartello_indicatore,  (\d+),   ((\([^()]*\))+))");
  const std::regex board_line(R"(\(([^()]*)\))");
  const std::regex crossing(R"(\(PASSAGGIO\)\(A LIVELLO\)\(Km (\d+)\+(\d{3})\))");
  std::map<int, int> by_line_count;
  std::vector<int> positions;
  std::vector<std::pair<int, int>> crossings;  // position, kilometre in metres
  int switches = 0;
  for (const auto& row : rows) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(row, m, form)) << row;
    positions.push_back(std::stoi(m[1]));
    const std::string text = m[2];
    int count = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), board_line), end; it != end; ++it) {
      ++count;
      const std::string line = (*it)[1];
      EXPECT_LE(line.size(), 16u) << row;
      for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                             std::string(" '.+-/|_\xb0").find(c) != std::string::npos ||
                             (c == 'm' && i > 0 && line[i - 1] == 'K');
        EXPECT_TRUE(allowed) << row << ": character " << i << " of " << line;
      }
    }
    ++by_line_count[count];
    std::smatch km;
    if (std::regex_match(text, km, crossing)) {
      crossings.push_back({positions.back(), std::stoi(km[1]) * 1000 + std::stoi(km[2])});
    }
    if (text.rfind("(SCAMBIO DI", 0) == 0) ++switches;
  }
  EXPECT_EQ(by_line_count, (std::map<int, int>{{1, 8}, {2, 3}, {3, 44}}));
  expect_ascending(positions, "line-side board");
  EXPECT_EQ(positions.front(), 450);
  EXPECT_EQ(positions.back(), 87500);
  EXPECT_EQ(switches, 2);

  // Crossing kilometres fall along the route, rising once where the line's kilometrage
  // starts afresh at POGGIO SERENTE (75500).
  ASSERT_EQ(crossings.size(), 23u);
  for (size_t i = 1; i < crossings.size(); ++i) {
    const bool across_change = crossings[i - 1].first < 75500 && crossings[i].first > 75500;
    if (across_change) {
      EXPECT_GT(crossings[i].second, crossings[i - 1].second) << "at " << crossings[i].first;
    } else {
      EXPECT_LT(crossings[i].second, crossings[i - 1].second) << "at " << crossings[i].first;
    }
  }
}

TEST(LineaContent, DegreeSignIsOneByteInTwoRoadNumbers) {
  int degrees = 0;
  for (const auto& line : line_source()) {
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] != '\xb0') continue;
      ++degrees;
      EXPECT_TRUE(i > 0 && line[i - 1] == 'N') << line;
      EXPECT_TRUE(std::regex_search(line.substr(i + 1), std::regex(R"(^ \d+\))"))) << line;
    }
    EXPECT_EQ(line.find("\xc2"), std::string::npos) << "UTF-8 left in: " << line;
  }
  EXPECT_EQ(degrees, 2);
}

// The reader stops at a board or speed board whose block is already taken.
TEST(LineaContent, NoTwoBoardsShareABlock) {
  const auto lines = line_source();
  std::map<int, std::string> taken;
  for (Section s : {kSpeedBoards, kBoards}) {
    for (const auto& row : rows_of(lines, s)) {
      const int block = board_block(num(split(row)[1]));
      const auto [it, fresh] = taken.emplace(block, row);
      EXPECT_TRUE(fresh) << row << " shares block " << block << " with " << it->second;
    }
  }
  EXPECT_EQ(taken.size(), 75u);
}

}  // namespace
}  // namespace scenario

// The built-in train source as the emitter writes it: layout, column widths, values and the
// stations of the timetable.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>
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

std::vector<std::string> train_source() {
  return testing::emitted_lines(&dati_treno,
                                train_source_name(testing::builtin_state("").identity()));
}

std::vector<std::string> line_source() {
  return testing::emitted_lines(&dati_linea,
                                line_source_name(testing::builtin_state("").identity()));
}

constexpr Section kSpeeds{7, 16};
constexpr Section kStations{24, 18};
constexpr Section kSignals{45, 34};

int round_even(double x) { return static_cast<int>(std::nearbyint(x)); }

// Splits a row into its numbers, checking that field i (after the keyword) is a number
// right-aligned in widths[i]. The fields after the numbers are returned in rest.
std::vector<int> columns(const std::string& row, const std::vector<int>& widths,
                         std::vector<std::string>* rest) {
  const auto f = split(row);
  std::vector<int> values;
  EXPECT_GT(f.size(), widths.size()) << row;
  if (f.size() <= widths.size()) return values;
  for (size_t i = 0; i < widths.size(); ++i) {
    const std::string& field = f[i + 1];
    EXPECT_EQ(field.size(), static_cast<size_t>(widths[i])) << row << ": field " << i + 1;
    EXPECT_TRUE(std::regex_match(field, std::regex(" *\\d+"))) << row << ": field " << i + 1;
    values.push_back(num(field));
  }
  rest->assign(f.begin() + widths.size() + 1, f.end());
  return values;
}

const std::vector<int> kStationWidths = {8, 3, 5, 3, 2, 2, 3, 1, 1, 3, 1, 1, 5, 4, 2, 2};
const std::vector<int> kSignalWidths = {8, 4, 2, 2, 3, 2, 5, 3, 1, 1};

struct Station {
  std::string name;
  int position, kind, length, hours, minutes, seconds;
  bool operator==(const Station&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Station& s) {
  return os << s.name << " " << s.position << " kind " << s.kind << " length " << s.length << " "
            << s.hours << ":" << s.minutes << ":" << s.seconds;
}

TEST(TrenoContent, SectionsStandAtTheirRows) {
  const auto lines = train_source();
  ASSERT_EQ(lines.size(), 82u);
  const std::map<int, std::string> headers = {
      {0, "[generale]"},       {5, "[aderenze]"}, {7, "[vel_limite]"}, {24, "[stazioni]"},
      {43, "[rallentamenti]"}, {45, "[segnali]"}, {80, "[codici]"},    {81, "[fine]"}};
  for (const auto& [row, header] : headers) EXPECT_EQ(lines[row], header) << "row " << row;
  for (const auto& [section, keyword] : std::vector<std::pair<Section, std::string>>{
           {kSpeeds, "velocita,"}, {kStations, "stazione,"}, {kSignals, "segnale,"}}) {
    for (const auto& row : rows_of(lines, section)) EXPECT_EQ(row.rfind(keyword, 0), 0u) << row;
  }
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_FALSE(lines[i].empty()) << "row " << i;
}

TEST(TrenoContent, FixedRowsAreWrittenAsTheyStand) {
  const auto lines = train_source();
  ASSERT_EQ(lines.size(), 82u);
  EXPECT_EQ(lines[1], "numero vetture,    7");
  EXPECT_EQ(lines[2], "percentuale massa frenata,    120");
  EXPECT_EQ(lines[3], "sabbia,    300");
  // The clock's numbers are parted by runs of blanks, and the row ends in one.
  EXPECT_EQ(lines[4],
            "orologio,    6" + std::string(15, ' ') + "54" + std::string(12, ' ') + "30 ");
  EXPECT_EQ(lines[6], "aderenza,   0,    100");
  EXPECT_EQ(lines[44], "rallentamento,   66850,   100, 1200, 0,  1,  100");
}

TEST(TrenoContent, SpeedLimitsAreTheTrainsTable) {
  const std::vector<std::string> expected = {
      "velocita,       0,    75", "velocita,    1900,   135", "velocita,   24350,    75",
      "velocita,   25200,   105", "velocita,   25400,    30", "velocita,   25800,   105",
      "velocita,   25950,   145", "velocita,   36100,   130", "velocita,   37950,   145",
      "velocita,   71400,   140", "velocita,   73550,   130", "velocita,   75850,    60",
      "velocita,   76200,   160", "velocita,   83400,   110", "velocita,   85400,    90",
      "velocita,   87250,    30",
  };
  EXPECT_EQ(rows_of(train_source(), kSpeeds), expected);
}

TEST(TrenoContent, StationsAreTheTimetable) {
  const std::vector<Station> expected = {
      {"LINDEVA", 50, 12, 700, 6, 55, 0},
      {"PONTE ALBERINO", 4700, 25, 200, 0, 0, 0},
      {"SAN MORELLO", 9400, 27, 300, 0, 0, 0},
      {"VILLA DORSENA", 14250, 22, 600, 7, 6, 0},
      {"CASCINA ROVELLA", 19600, 28, 200, 0, 0, 0},
      {"BORGO TALIVO", 24800, 25, 300, 0, 0, 0},
      {"MONTECAVIO", 30100, 12, 700, 7, 19, 0},
      {"FORNACI di SELVA", 35550, 27, 200, 0, 0, 0},
      {"ROCCA VELMONTE", 39800, 25, 300, 0, 0, 0},
      {"PIAN D'ARSIERO", 44000, 22, 500, 7, 30, 0},
      {"CAMPOLIVO", 49650, 25, 200, 0, 0, 0},
      {"TORRE BRIVANA", 54300, 27, 300, 0, 0, 0},
      {"SANT'ELPIDIO AL VAGNO", 59800, 12, 800, 7, 41, 0},
      {"CORVARA SCALO", 64900, 28, 200, 0, 0, 0},
      {"GALLIANO", 70200, 25, 300, 0, 0, 0},
      {"POGGIO SERENTE", 75500, 22, 600, 7, 52, 0},
      {"VALLE DI QUERCIOLA", 81800, 27, 300, 0, 0, 0},
      {"QUERNO", 88500, 6, 800, 8, 0, 0},
  };
  const auto lines = train_source();
  const auto rows = rows_of(lines, kStations);
  ASSERT_EQ(rows.size(), 18u);
  EXPECT_EQ(rows[0],
            "stazione,      50, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,    1,   6,55, 0, LINDEVA");
  std::vector<Station> found;
  for (const auto& row : rows) {
    std::vector<std::string> rest;
    const auto v = columns(row, kStationWidths, &rest);
    ASSERT_EQ(v.size(), kStationWidths.size()) << row;
    ASSERT_EQ(rest.size(), 1u) << row;
    EXPECT_TRUE(std::regex_match(rest[0], std::regex(" [^ ].{0,23}"))) << row;
    found.push_back({rest[0].substr(1), v[0], v[1], v[2], v[13], v[14], v[15]});
  }
  EXPECT_EQ(found, expected);
}

TEST(TrenoContent, StationFieldsStayInTheirRanges) {
  const auto rows = rows_of(train_source(), kStations);
  ASSERT_EQ(rows.size(), 18u);
  int marked_206 = 0;
  for (size_t k = 0; k < rows.size(); ++k) {
    std::vector<std::string> rest;
    const auto v = columns(rows[k], kStationWidths, &rest);
    ASSERT_EQ(v.size(), kStationWidths.size()) << rows[k];
    const bool first = k == 0;
    const bool last = k + 1 == rows.size();
    const bool timed = v[13] != 0;
    EXPECT_EQ(v[3], last ? 1 : 0) << rows[k];
    EXPECT_EQ(v[4], 0) << rows[k];
    for (int i : {5, 6, 7, 11}) EXPECT_TRUE(v[i] == 0 || v[i] == 1) << rows[k];
    EXPECT_EQ(v[8], 0) << rows[k];
    EXPECT_TRUE(v[9] == 0 || v[9] == 2 || v[9] == 4) << rows[k];
    EXPECT_TRUE(v[10] == 0 || v[10] == 1 || v[10] == 4) << rows[k];
    EXPECT_EQ(v[15], 0) << rows[k];
    // Field 13: 1 at the origin, 30 at the timed stops between, 206 at one passed station.
    if (first) {
      EXPECT_EQ(v[12], 1) << rows[k];
    } else if (timed && !last) {
      EXPECT_EQ(v[12], 30) << rows[k];
    } else if (v[12] == 206) {
      EXPECT_FALSE(timed) << rows[k];
      ++marked_206;
    } else {
      EXPECT_EQ(v[12], 0) << rows[k];
    }
  }
  EXPECT_EQ(marked_206, 1);
}

TEST(TrenoContent, SignalsHaveTheirColumnsAndKinds) {
  const auto lines = train_source();
  const auto rows = rows_of(lines, kSignals);
  ASSERT_EQ(rows.size(), 34u);
  EXPECT_EQ(rows.front(), "segnale,    1850,   1, 3, 1,  0, 0,    1,  5,6,0, 0");
  EXPECT_EQ(rows[1], "segnale,    2900,   2, 4, 1,  0, 0,    2,  2,4,0, 190");
  EXPECT_EQ(rows[2], "segnale,    5250,   1, 4, 0,  0, 0,    0,  0,0,0, 0");
  EXPECT_EQ(rows.back(), "segnale,   87250,   2, 2, 3,  1, 0,    2,  2,1,1, 0");

  std::string kinds;
  std::vector<int> nonzero_last;
  int previous = 0;
  for (const auto& row : rows) {
    std::vector<std::string> rest;
    const auto v = columns(row, kSignalWidths, &rest);
    ASSERT_EQ(v.size(), kSignalWidths.size()) << row;
    ASSERT_EQ(rest.size(), 1u) << row;
    ASSERT_TRUE(std::regex_match(rest[0], std::regex(" \\d+"))) << row;
    const int last = num(rest[0]);
    EXPECT_GT(v[0], previous) << row;
    previous = v[0];
    EXPECT_TRUE(v[1] == 1 || v[1] == 2) << row;
    kinds += std::to_string(v[1]);
    EXPECT_TRUE(v[2] >= 2 && v[2] <= 5) << row;
    EXPECT_TRUE(v[3] == 0 || v[3] == 1 || v[3] == 3 || v[3] == 4 || v[3] == 6) << row;
    EXPECT_TRUE(v[4] == 0 || v[4] == 1) << row;
    EXPECT_EQ(v[5], 0) << row;
    EXPECT_TRUE(v[6] >= 0 && v[6] <= 2) << row;
    for (int i : {7, 8, 9}) EXPECT_TRUE(v[i] >= 0 && v[i] <= 6) << row;
    if (last != 0) {
      nonzero_last.push_back(last);
      EXPECT_EQ(v[1], 2) << row << ": field 11 counts only for kind 2";
    }
  }
  // Distant and main signals alternate until the coded stretch, where only main ones follow.
  EXPECT_TRUE(std::regex_match(kinds, std::regex("(12)+22+"))) << kinds;
  EXPECT_EQ(nonzero_last, (std::vector<int>{190, 240}));
}

// Stop markers are written over whatever holds their block, so a board there would be lost;
// signals and the slowdown are refused on a taken block. Stations must also keep 350 m apart.
TEST(TrenoContent, StopMarkersSlowdownAndSignalsFindFreeBlocks) {
  const auto line = line_source();
  const auto train = train_source();
  ASSERT_EQ(line.size(), 289u);
  ASSERT_EQ(train.size(), 82u);
  std::map<int, std::string> taken;
  auto take = [&](int block, const std::string& by) {
    const auto [it, fresh] = taken.emplace(block, by);
    EXPECT_TRUE(fresh) << by << " on block " << block << ", taken by " << it->second;
  };
  for (int row = 212; row < 288; ++row) {
    if (row == 232) continue;  // the "[indicazioni]" header between the two kinds of board
    take(round_even(num(split(line[row])[1]) / 50.0 + 1), line[row]);
  }

  int previous_end = 0;
  bool first = true;
  for (const auto& row : rows_of(train, kStations)) {
    std::vector<std::string> rest;
    const auto v = columns(row, kStationWidths, &rest);
    ASSERT_EQ(v.size(), kStationWidths.size()) << row;
    const int p = v[0], kind = v[1], length = v[2];
    const bool from_length = kind >= 5 && kind <= 8;
    const int start = from_length ? p - length : round_even(p - length / 2.0);
    int end = round_even(p + length / 2.0) + (v[5] != 0 ? 50 : 0);
    if (kind == 5 || kind == 6) end = p + 150;
    if (kind == 7 || kind == 8) end = p + length;
    if (!first) {
      EXPECT_GE(start - 350, previous_end) << row;
    }
    first = false;
    previous_end = end;
    if (kind < 25) take(round_even(end / 50.0 - 1), row);
  }

  const auto slow = split(train[44]);
  ASSERT_EQ(slow.size(), 7u);
  const int p = num(slow[1]);
  const std::string& row = train[44];
  take(round_even((p - 1200) / 50.0 + 1), row + " (warning)");
  take(round_even(p / 50.0 + 1), row + " (start)");
  take(round_even((p + num(slow[3])) / 50.0 + 1), row + " (end)");
  for (int j = 0; j < 4; ++j) take(round_even((p - 1200) / 50.0) - j, row + " (pre-warning)");

  for (const auto& signal : rows_of(train, kSignals)) {
    take(round_even(num(split(signal)[1]) / 50.0 + 1), signal);
  }
}

}  // namespace
}  // namespace scenario

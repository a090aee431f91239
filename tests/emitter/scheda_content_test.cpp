// The timetable sheet as the emitter writes it: layout, cell forms and agreement with the train.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "emitter/emitters.h"
#include "support/document_rows.h"
#include "support/emitted.h"

namespace scenario {
namespace {

using testing::cells;
using testing::emitted_lines;
using testing::trim;

constexpr const char* kFile = "Lindeva_Querno_40716_scheda_treno.txt";
constexpr size_t kFirstBodyRow = 16;
constexpr size_t kLastBodyRow = 82;

const std::string kEmptyRow =
    " |     |     |          |     |                            |                |     |";
const std::string kUnderline =
    " |_____|_____|__________|_____|____________________________|________________|_____|";

std::vector<std::string> sheet() { return emitted_lines(&dati_scheda, kFile); }

enum Cell { kLimit, kMarked, kProgressive, kNoRs, kLocation, kTime, kRecovery };

struct Entry {
  size_t index;
  std::vector<std::string> cell;
  bool is_station() const { return cell[kLocation][1] != ' '; }
  std::string name() const { return trim(cell[kLocation]); }
  bool has_speed() const { return trim(cell[kLimit]) != ""; }
};

std::vector<Entry> entries(const std::vector<std::string>& lines) {
  std::vector<Entry> out;
  for (size_t i = kFirstBodyRow; i <= kLastBodyRow && i < lines.size(); ++i) {
    if (lines[i] == kEmptyRow) continue;
    auto c = cells(lines[i]);
    // A torn row would make the cell lookups below read past the end.
    if (c.size() != 7 || c[kLocation].size() < 2) {
      ADD_FAILURE() << "row " << i << " is not a table row: " << lines[i];
      continue;
    }
    out.push_back({i, std::move(c)});
  }
  return out;
}

// Times of a time cell in order ("7.05+" is 7:05:30), as seconds of the day.
std::vector<int> times(const std::string& cell) {
  std::vector<int> out;
  static const std::regex kTime(R"((\d+)\.(\d\d)(\+?))");
  for (std::sregex_iterator it(cell.begin(), cell.end(), kTime), end; it != end; ++it) {
    out.push_back(std::stoi((*it)[1]) * 3600 + std::stoi((*it)[2]) * 60 +
                  ((*it)[3].length() ? 30 : 0));
  }
  return out;
}

TEST(SchedaContent, FrameRowsAndHeadingsStandAtTheirIndex) {
  const auto lines = sheet();
  ASSERT_EQ(lines.size(), 85u);
  const std::pair<size_t, std::string> fixed[] = {
      {0, ""},
      {1, ""},
      {3, " |                   |                    SCHEDA                   |              |"},
      {6, std::string(67, ' ') + "|______________|"},
      {11, ""},
      {12, "  " + std::string(80, '_')},
      {13, " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |"},
      {14, " | Lim.|Marc.|          |  Rs |                            |                |     |"},
      {15, kUnderline},
      {16, kEmptyRow},
      {82, kEmptyRow},
      {83, kUnderline},
      {84, ""},
  };
  for (const auto& [index, text] : fixed) EXPECT_EQ(lines[index], text) << "row " << index;
}

// Puts each text at its column of an otherwise blank row that ends at its last character.
std::string placed(std::initializer_list<std::pair<size_t, std::string>> texts) {
  std::string row;
  for (const auto& [col, text] : texts) {
    if (row.size() < col + text.size()) row.resize(col + text.size(), ' ');
    row.replace(col, text.size(), text);
  }
  return row;
}

TEST(SchedaContent, HeaderBoxesHoldTheirTextsInPlace) {
  const auto lines = sheet();
  ASSERT_EQ(lines.size(), 85u);
  const std::string line19(19, '_');
  const std::pair<size_t, std::string> header[] = {
      {2, placed({{2, line19}, {68, std::string(14, '_')}})},
      {3, placed({{1, "|"}, {21, "|"}, {42, "SCHEDA"}, {67, "|"}, {82, "|"}})},
      {4, placed({{1, "|"},
                  {5, "TRENO n.40716"},
                  {21, "|"},
                  {41, "da: LINDEVA"},
                  {67, "|"},
                  {72, "V160 B"},
                  {82, "|"}})},
      {5, placed({{1, "|" + line19 + "|"}, {42, "a: QUERNO"}, {67, "|"}, {73, "120%"}, {82, "|"}})},
      {6, placed({{67, "|______________|"}})},
      {7, placed({{2, line19}, {37, line19}})},
      {8, placed({{1, "|"},
                  {4, "CLASSIFICAZIONE"},
                  {21, "|"},
                  {36, "|"},
                  {39, "MASSA BLOCCATA"},
                  {56, "|"}})},
      {9, placed({{1, "|"}, {10, "R"}, {21, "|"}, {36, "|"}, {43, "420T"}, {56, "|"}})},
      {10, placed({{1, "|" + line19 + "|"}, {36, "|" + line19 + "|"}})},
  };
  for (const auto& [index, text] : header) EXPECT_EQ(lines[index], text) << "row " << index;
}

TEST(SchedaContent, TableRowsKeepTheirBarsAndWidth) {
  const auto lines = sheet();
  ASSERT_EQ(lines.size(), 85u);
  const std::vector<size_t> bars = {1, 7, 13, 24, 30, 59, 76, 82};
  std::vector<size_t> long_rows;
  for (size_t i = 13; i <= 83; ++i) {
    std::string row = lines[i];
    if (row.size() == 84 && row.back() == ' ') {
      long_rows.push_back(i);
      row.pop_back();
    }
    EXPECT_EQ(row.size(), 83u) << "row " << i;
    std::vector<size_t> found;
    for (size_t c = 0; c < row.size(); ++c) {
      if (row[c] == '|') found.push_back(c);
    }
    EXPECT_EQ(found, bars) << "row " << i << ": " << lines[i];
    EXPECT_EQ(row[0], ' ') << "row " << i;
  }
  ASSERT_EQ(long_rows.size(), 2u);
  for (size_t i : long_rows) EXPECT_NE(lines[i], kEmptyRow) << "row " << i;
}

TEST(SchedaContent, BodyAlternatesEmptyAndEntryRowsExceptAtTheKilometrageChange) {
  const auto lines = sheet();
  ASSERT_EQ(lines.size(), 85u);
  const auto body = entries(lines);
  EXPECT_EQ(body.size(), 34u);
  size_t empties = 0;
  std::vector<size_t> adjacent_entries;
  for (size_t i = kFirstBodyRow; i <= kLastBodyRow; ++i) {
    if (lines[i] == kEmptyRow) {
      ++empties;
      EXPECT_NE(lines[i + 1], kEmptyRow) << "two empty rows at " << i;
    } else if (lines[i + 1] != kEmptyRow) {
      adjacent_entries.push_back(i);
    }
  }
  EXPECT_EQ(empties, 33u);
  // Old progressive, "------" with the station, new progressive: three rows together.
  ASSERT_EQ(adjacent_entries.size(), 2u);
  const size_t first = adjacent_entries[0];
  EXPECT_EQ(adjacent_entries[1], first + 1);
  const auto old_km = cells(lines[first]), change = cells(lines[first + 1]),
             new_km = cells(lines[first + 2]);
  EXPECT_EQ(old_km[kProgressive], "   0.230  ");
  EXPECT_EQ(trim(old_km[kLocation]), "");
  EXPECT_EQ(change[kProgressive], "  ------  ");
  EXPECT_EQ(change[kLocation], " POGGIO SERENTE             ");
  EXPECT_EQ(new_km[kProgressive], "  13.030  ");
  EXPECT_EQ(trim(new_km[kLocation]), "");
}

TEST(SchedaContent, EntryCellsHaveTheirForms) {
  const auto lines = sheet();
  ASSERT_EQ(lines.size(), 85u);
  const std::regex speed(R"( {4} |[ \d]{3}\d )");
  const std::regex progressive(R"( *(\d+\.\d{3}|\d+\+\d{3}|------)  )");
  const std::regex one_time(R"( {7}\d\.\d\d[+ ] {4})");
  const std::regex stop(R"(( \d\.\d\d[+ ]|  \d\.\d\d) {5}\d\.\d\d )");
  const std::regex at_right(R"( {11}\d\.\d\d )");
  const std::regex recovery(R"( {5}| (0\.5|1\.0|1\.5|2\.0) )");
  int plus_form = 0, dashes = 0, arrival_third = 0, three_indent = 0, at_right_count = 0;
  for (const auto& e : entries(lines)) {
    ASSERT_EQ(e.cell.size(), 7u) << "row " << e.index;
    const auto& c = e.cell;
    for (Cell s : {kLimit, kMarked, kNoRs}) {
      EXPECT_TRUE(std::regex_match(c[s], speed)) << "row " << e.index << " speed '" << c[s] << "'";
    }
    EXPECT_EQ(c[kProgressive].size(), 10u);
    EXPECT_TRUE(std::regex_match(c[kProgressive], progressive)) << "row " << e.index;
    plus_form += c[kProgressive].find('+') != std::string::npos;
    dashes += c[kProgressive] == "  ------  ";
    const bool time_ok = std::regex_match(c[kTime], one_time) || std::regex_match(c[kTime], stop) ||
                         std::regex_match(c[kTime], at_right) || trim(c[kTime]).empty();
    EXPECT_TRUE(time_ok) << "row " << e.index << " time '" << c[kTime] << "'";
    arrival_third += std::regex_match(c[kTime], stop) && c[kTime][1] == ' ';
    at_right_count += std::regex_match(c[kTime], at_right);
    EXPECT_TRUE(std::regex_match(c[kRecovery], recovery)) << "row " << e.index;
    // Location: a station from the second character, or a description indented by six
    // (once by three), or nothing beside a kilometrage change.
    const std::string& loc = c[kLocation];
    const size_t indent = loc.find_first_not_of(' ');
    if (indent == std::string::npos) {
      EXPECT_TRUE(c[kProgressive] == "   0.230  " || c[kProgressive] == "  13.030  ");
    } else {
      EXPECT_TRUE(indent == 1 || indent == 6 || indent == 3) << "row " << e.index;
      three_indent += indent == 3;
    }
  }
  EXPECT_EQ(plus_form, 1);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.find("|   2+461  |") != l.npos; }));
  EXPECT_EQ(dashes, 1);
  EXPECT_EQ(arrival_third, 1);
  EXPECT_EQ(three_indent, 1);
  EXPECT_EQ(at_right_count, 2);
}

TEST(SchedaContent, FirstAndLastEntriesAreOriginAndDestination) {
  const auto body = entries(sheet());
  ASSERT_EQ(body.size(), 34u);
  const auto& first = body.front().cell;
  EXPECT_EQ(body.front().index, 17u);
  for (Cell s : {kLimit, kMarked, kNoRs}) EXPECT_EQ(first[s], "  75 ");
  EXPECT_EQ(first[kProgressive], "  75.680  ");
  EXPECT_EQ(first[kLocation], " LINDEVA                    ");
  EXPECT_EQ(first[kTime], "           6.55 ");
  const auto& last = body.back().cell;
  EXPECT_EQ(body.back().index, 81u);
  EXPECT_EQ(last[kProgressive], "   0.000  ");
  EXPECT_EQ(last[kLocation], " QUERNO                     ");
  EXPECT_EQ(last[kTime], "           8.00 ");
  EXPECT_EQ(last[kRecovery], " 0.5 ");
}

// The line's kilometrage falls along the route, restarting once at the change.
TEST(SchedaContent, ProgressivesFallAlongTheRoute) {
  const auto body = entries(sheet());
  std::vector<std::vector<double>> sections(1);
  for (const auto& e : body) {
    std::string km = trim(e.cell[kProgressive]);
    if (km == "------") {
      sections.emplace_back();
      continue;
    }
    std::replace(km.begin(), km.end(), '+', '.');
    sections.back().push_back(std::stod(km));
  }
  ASSERT_EQ(sections.size(), 2u);
  for (const auto& s : sections) {
    for (size_t i = 1; i < s.size(); ++i) EXPECT_LT(s[i], s[i - 1]) << "after " << s[i - 1];
  }
  EXPECT_DOUBLE_EQ(sections[0].front(), 75.680);
  EXPECT_DOUBLE_EQ(sections[0].back(), 0.230);
  EXPECT_DOUBLE_EQ(sections[1].front(), 13.030);
  EXPECT_DOUBLE_EQ(sections[1].back(), 0.000);
}

// The train's stations in route order, with the time of the train source (seconds of the
// day; 0 = none there).
struct Station {
  const char* name;
  int time;
};
constexpr int hm(int h, int m) { return h * 3600 + m * 60; }
const Station kStations[] = {
    {"LINDEVA", hm(6, 55)},
    {"PONTE ALBERINO", 0},
    {"SAN MORELLO", 0},
    {"VILLA DORSENA", hm(7, 6)},
    {"CASCINA ROVELLA", 0},
    {"BORGO TALIVO", 0},
    {"MONTECAVIO", hm(7, 19)},
    {"FORNACI di SELVA", 0},
    {"ROCCA VELMONTE", 0},
    {"PIAN D'ARSIERO", hm(7, 30)},
    {"CAMPOLIVO", 0},
    {"TORRE BRIVANA", 0},
    {"SANT'ELPIDIO AL VAGNO", hm(7, 41)},
    {"CORVARA SCALO", 0},
    {"GALLIANO", 0},
    {"POGGIO SERENTE", hm(7, 52)},
    {"VALLE DI QUERCIOLA", 0},
    {"QUERNO", hm(8, 0)},
};

TEST(SchedaContent, AgreesWithTheTrainOnStationsTimesAndHeader) {
  const auto lines = sheet();
  ASSERT_EQ(lines.size(), 85u);
  EXPECT_NE(lines[4].find("TRENO n.40716"), std::string::npos);
  EXPECT_NE(lines[5].find("120%"), std::string::npos);

  std::vector<Entry> stations;
  for (const auto& e : entries(lines)) {
    if (e.is_station()) stations.push_back(e);
  }
  ASSERT_EQ(stations.size(), std::size(kStations));
  for (size_t i = 0; i < stations.size(); ++i) {
    const Station& want = kStations[i];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(stations[i].name(), want.name);
    const auto t = times(stations[i].cell[kTime]);
    if (want.time == 0) {
      // Passed: one passing time at most.
      EXPECT_LE(t.size(), 1u);
    } else if (i == 0 || i + 1 == stations.size()) {
      // Departure from the origin, arrival at the terminus: one time.
      EXPECT_EQ(t, std::vector<int>{want.time});
    } else {
      // A stop: arrival, then the departure of the train source.
      ASSERT_EQ(t.size(), 2u);
      EXPECT_EQ(t[1], want.time);
    }
  }
}

TEST(SchedaContent, TimesIncreaseAlongTheRoute) {
  int previous = 0;
  size_t count = 0;
  for (const auto& e : entries(sheet())) {
    for (int t : times(e.cell[kTime])) {
      EXPECT_GT(t, previous) << "row " << e.index;
      previous = t;
      ++count;
    }
  }
  // Every station shows a time; the five intermediate stops show two.
  EXPECT_EQ(count, std::size(kStations) + 5);
}

// The train's speed limits, in route order.
const int kLimits[] = {75, 135, 75, 105, 30, 105, 145, 130, 145, 140, 130, 60, 160, 110, 90, 30};

TEST(SchedaContent, SpeedsFollowTheTrainsLimits) {
  const auto body = entries(sheet());
  std::vector<int> shown;
  int stations_with_speed = 0;
  for (const auto& e : body) {
    if (!e.has_speed()) continue;
    shown.push_back(std::stoi(e.cell[kLimit]));
    stations_with_speed += e.is_station();
    // A point described in words, or a station.
    EXPECT_FALSE(trim(e.cell[kLocation]).empty()) << "row " << e.index;
  }
  EXPECT_EQ(shown.size(), 13u);
  EXPECT_EQ(stations_with_speed, 3);
  // Each shown speed is one of the limits, met in the train's order.
  const int* next = std::begin(kLimits);
  for (int v : shown) {
    next = std::find(next, std::end(kLimits), v);
    ASSERT_NE(next, std::end(kLimits)) << v << " out of the train's order";
    ++next;
  }
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), kLimits[0]);
  EXPECT_EQ(shown.back(), kLimits[std::size(kLimits) - 1]);
}

}  // namespace
}  // namespace scenario

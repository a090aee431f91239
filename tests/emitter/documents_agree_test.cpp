// The driver's documents tell the same story as the train source they come with.
#include <gtest/gtest.h>

#include <sstream>

#include "emitter/emitters.h"
#include "format/file_names.h"
#include "support/emitted.h"

namespace scenario::testing {
namespace {

std::vector<std::string> split_fields(const std::string& row) {
  std::vector<std::string> out;
  std::stringstream in(row);
  std::string f;
  while (std::getline(in, f, ',')) {
    const size_t a = f.find_first_not_of(' ');
    const size_t b = f.find_last_not_of(' ');
    out.push_back(a == std::string::npos ? "" : f.substr(a, b - a + 1));
  }
  return out;
}

struct Stop {
  std::string name;
  std::string time;  // "h.mm", empty when the train source gives none
};

std::vector<Stop> train_stations() {
  std::vector<Stop> stops;
  const BuildState s = builtin_state("");
  for (const std::string& row : emitted_lines(&dati_treno, train_source_name(s.identity()))) {
    if (row.rfind("stazione,", 0) != 0) continue;
    const auto f = split_fields(row);
    EXPECT_EQ(f.size(), 18u) << row;
    const int h = std::stoi(f[14]), m = std::stoi(f[15]);
    std::string time;
    if (h || m) time = std::to_string(h) + "." + (m < 10 ? "0" : "") + std::to_string(m);
    stops.push_back({f[17], time});
  }
  return stops;
}

// Station entries of the sheet: a location cell whose name starts at its second character.
std::vector<Stop> sheet_stations() {
  std::vector<Stop> stops;
  const BuildState s = builtin_state("");
  const auto rows = emitted_lines(&dati_scheda, scheda_name(s.identity()));
  for (size_t i = 16; i <= 82 && i < rows.size(); ++i) {
    const std::string& r = rows[i];
    if (r.size() < 83) continue;
    const std::string location = r.substr(31, 28);
    if (location[1] == ' ') continue;
    std::string name = location.substr(1);
    name.erase(name.find_last_not_of(' ') + 1);
    std::stringstream cell(r.substr(60, 16));
    std::string token, last;
    while (cell >> token) last = token;
    if (!last.empty() && last.back() == '+') last.pop_back();
    stops.push_back({name, last});
  }
  return stops;
}

TEST(DocumentsAgree, TimetableSheetNamesTheTrainsStationsAndTimes) {
  const auto train = train_stations();
  const auto sheet = sheet_stations();
  ASSERT_EQ(train.size(), 18u);
  ASSERT_EQ(sheet.size(), train.size());
  for (size_t i = 0; i < train.size(); ++i) {
    EXPECT_EQ(sheet[i].name, train[i].name) << i;
    if (!train[i].time.empty()) {
      EXPECT_EQ(sheet[i].time, train[i].time) << train[i].name;
    }
  }
}

TEST(DocumentsAgree, SlowdownOrderMatchesTheSlowdownRow) {
  const BuildState s = builtin_state("");
  std::vector<std::string> slowdown;
  for (const std::string& row : emitted_lines(&dati_treno, train_source_name(s.identity()))) {
    if (row.rfind("rallentamento,", 0) == 0) slowdown = split_fields(row);
  }
  ASSERT_EQ(slowdown.size(), 7u);
  const auto order = emitted_lines(&dati_rallentamenti, rallentamenti_name(s.identity()));
  ASSERT_GT(order.size(), 13u);
  const std::string& entry = order[13];
  EXPECT_EQ(std::stoi(entry.substr(48, 10)), std::stoi(slowdown[2]));  // speed
  EXPECT_EQ(std::stoi(entry.substr(59, 9)), std::stoi(slowdown[3]));   // length in metres
  EXPECT_NE(order[6].find(s.train_number), std::string::npos);
}

TEST(DocumentsAgree, TrainNumberAndBrakingInTheSheet) {
  const BuildState s = builtin_state("");
  const auto rows = emitted_lines(&dati_scheda, scheda_name(s.identity()));
  std::string braking;
  for (const std::string& row : emitted_lines(&dati_treno, train_source_name(s.identity()))) {
    if (row.find("massa frenata") != std::string::npos) braking = split_fields(row)[1];
  }
  EXPECT_NE(rows[4].find("TRENO n." + s.train_number), std::string::npos);
  EXPECT_NE(rows[5].find(braking + "%"), std::string::npos);
}

}  // namespace
}  // namespace scenario::testing

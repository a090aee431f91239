// The route through an OSM extract held in memory: stations by name, the shortest path that
// keeps to the running lines, relations chained whichever way their ways are drawn, and the
// tags' values as the import reads them.
#include "import/railway_path.h"

#include <gtest/gtest.h>

#include "import/names.h"
#include "import/osm_tags.h"

namespace scenario::import {
namespace {

// A line running east along 45°N, one node every ~80 m (0.001° of longitude), as ways of ten
// nodes; a siding beside nodes 20 to 30, shorter than the line between them.
OsmExtract straight_line(int nodes = 60) {
  OsmExtract osm;
  auto at = [](int i) { return GeoPoint{45.0, 11.0 + 0.001 * i}; };
  for (int start = 0; start + 1 < nodes; start += 10) {
    RailWay w;
    w.id = 100 + start;
    for (int i = start; i <= std::min(start + 10, nodes - 1); ++i) {
      w.nodes.push_back(i + 1);
      w.points.push_back(at(i));
    }
    w.tags = {{"railway", "rail"}, {"usage", "main"}};
    osm.ways.push_back(w);
  }
  // The siding cuts the corner: 20 -> (a point a little north) -> 30, shorter than the main
  // line only if it were straight, and it is not taken for being a siding.
  RailWay siding;
  siding.id = 999;
  siding.nodes = {21, 5000, 31};
  siding.points = {at(20), {45.0001, 11.025}, at(30)};
  siding.tags = {{"railway", "rail"}, {"service", "siding"}};
  osm.ways.push_back(siding);
  osm.nodes.push_back(
      {1, false, {45.0003, 11.002}, {{"railway", "station"}, {"name", "Borgo Alto"}}});
  osm.nodes.push_back(
      {2, false, {45.0002, 11.050}, {{"railway", "station"}, {"name", "Pian d'Arsiero"}}});
  osm.nodes.push_back(
      {3, false, {45.0002, 11.030}, {{"railway", "halt"}, {"name", "Borgo Basso"}}});
  return osm;
}

TEST(RailwayPath, FindsStationsByNameAndNamesTheNearestWhenNot) {
  const OsmExtract osm = straight_line();
  EXPECT_EQ(find_station(osm, "borgo alto").id, 1);
  EXPECT_EQ(find_station(osm, "PIAN D'ARSIERO").id, 2);
  try {
    find_station(osm, "Borgo Altro");
    FAIL() << "found a station that is not there";
  } catch (const ImportError& e) {
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(std::string(e.what()),
              "no station, halt or stop named 'Borgo Altro'; the nearest names: Borgo Alto, "
              "Borgo Basso, Pian d'Arsiero");
  }
}

TEST(RailwayPath, KeepsToTheRunningLineAndLengthensBothEnds) {
  const OsmExtract osm = straight_line();
  RailPath path = shortest_path(osm, find_station(osm, "Borgo Alto").at,
                                find_station(osm, "Pian d'Arsiero").at);
  EXPECT_EQ(path.nodes.front(), 3);
  EXPECT_EQ(path.nodes.back(), 51);
  EXPECT_EQ(std::count(path.nodes.begin(), path.nodes.end(), 5000), 0) << "went through the siding";
  ASSERT_EQ(path.way_of.size() + 1, path.points.size());
  extend_path(osm, path, 150, 500);
  EXPECT_EQ(path.nodes.front(), 1) << "the track ends two nodes before the start";
  EXPECT_NEAR(path.lead, 157, 2);
  EXPECT_EQ(path.nodes.back(), 58);
  EXPECT_GE(path.runout, 500);
}

TEST(RailwayPath, NoPathBetweenTwoNetworks) {
  OsmExtract osm = straight_line();
  RailWay other;
  other.id = 7;
  other.nodes = {8001, 8002};
  other.points = {{45.1, 11.0}, {45.1, 11.01}};
  other.tags = {{"railway", "rail"}};
  osm.ways.push_back(other);
  osm.nodes.push_back({9, false, {45.1001, 11.005}, {{"railway", "station"}, {"name", "Altrove"}}});
  try {
    shortest_path(osm, find_station(osm, "Borgo Alto").at, find_station(osm, "Altrove").at);
    FAIL();
  } catch (const ImportError& e) {
    EXPECT_EQ(std::string(e.what()),
              "no railway path between the two stations along railway=rail ways");
  }
}

TEST(RailwayPath, ChainsARelationWhicheverWayItsWaysRun) {
  OsmExtract osm = straight_line(31);
  // Three ways of the line, the first and the last drawn against the route.
  std::reverse(osm.ways[0].nodes.begin(), osm.ways[0].nodes.end());
  std::reverse(osm.ways[0].points.begin(), osm.ways[0].points.end());
  std::reverse(osm.ways[2].nodes.begin(), osm.ways[2].nodes.end());
  std::reverse(osm.ways[2].points.begin(), osm.ways[2].points.end());
  osm.relation_found = true;
  osm.relation_ways = {100, 4242 /* a platform: no track */, 110, 120};
  const RailPath path = relation_path(osm, 5);
  ASSERT_EQ(path.nodes.size(), 31u);
  for (size_t i = 0; i < path.nodes.size(); ++i)
    EXPECT_EQ(path.nodes[i], static_cast<int64_t>(i + 1));

  osm.relation_ways = {100, 120};  // a gap
  EXPECT_THROW(relation_path(osm, 5), ImportError);
  osm.relation_found = false;
  EXPECT_THROW(relation_path(osm, 5), ImportError);
}

TEST(ImportTags, KilometresSpeedsAndNames) {
  const struct {
    const char* text;
    std::optional<double> metres;
  } kilometres[] = {{"75.7", 75700},   {"75,700", 75700},    {"12+345", 12345},
                    {"3.2;3.4", 3200}, {"km", std::nullopt}, {"", std::nullopt}};
  for (const auto& k : kilometres) EXPECT_EQ(parse_kilometre(k.text), k.metres) << k.text;
  const struct {
    const char* text;
    std::optional<double> kmh;
  } speeds[] = {{"100", 100},           {"100 km/h", 100},
                {"none", std::nullopt}, {"signals", std::nullopt},
                {"0", std::nullopt},    {"80;60", 80}};
  for (const auto& s : speeds) EXPECT_EQ(parse_speed(s.text), s.kmh) << s.text;
  EXPECT_NEAR(*parse_speed("50 mph"), 80.47, 0.01);

  const struct {
    const char* utf8;
    const char* cp1252;
    bool transliterated;
  } names[] = {{"Forlì", "Forl\xEC", false},
               {"Łódź Kaliska",
                "L\xF3"
                "dz Kaliska",
                true},
               {"Brașov", "Brasov", true},
               {"Zürich HB", "Z\xFCrich HB", false},
               {"東京", "??", true}};
  for (const auto& n : names) {
    bool t = false;
    EXPECT_EQ(name_to_cp1252(n.utf8, t), n.cp1252) << n.utf8;
    EXPECT_EQ(t, n.transliterated) << n.utf8;
  }
  EXPECT_EQ(upper_cp1252("Forl\xEC d'Arsiero \x9A"), "FORL\xCC D'ARSIERO \x8A");
}

}  // namespace
}  // namespace scenario::import

// The computed driver's documents: against the hand-written ones of the built-in scenario,
// against the train sources of generated scenarios, and on small scenarios at the edges.
#include "documents/documents.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "decompile/compile_in_memory.h"
#include "documents/document_cells.h"
#include "documents/route_facts.h"
#include "documents/slowdown_order.h"
#include "emitter/content/content.h"
#include "inspect/run_input.h"
#include "support/builtin_compiled.h"
#include "support/compile_fixture.h"
#include "support/document_rows.h"
#include "support/scenario_generator.h"
#include "timing/running_time.h"

namespace scenario::testing {
namespace {

using documents::Documents;

Documents documents_of(const Identity& id, const BuildState& s) {
  return documents::scenario_documents(id, s.general, s.track.blocks(), s.curves,
                                       timing::TrainModel{}, timing::kDefaultStep);
}

// A station's entry in a sheet: its name, its progressive ("old/new" where the kilometrage
// changes), the tokens of its time cell and its margin.
struct SheetStation {
  std::string name, km;
  std::vector<std::string> times;
  std::string rec;
};

std::vector<SheetStation> sheet_stations(const std::vector<std::string>& rows) {
  std::vector<SheetStation> out;
  for (size_t i = 16; i + 1 < rows.size(); ++i) {
    const std::string& r = rows[i];
    // A station's name starts the location cell; the underline closes the table.
    if (r.size() < 83 || r[32] == ' ' || r[32] == '_') continue;
    SheetStation s;
    s.name = trim(r.substr(32, 27));
    s.km = trim(r.substr(14, 10));
    if (s.km == "------")
      s.km = trim(rows[i - 1].substr(14, 10)) + "/" + trim(rows[i + 1].substr(14, 10));
    std::stringstream cell(r.substr(60, 16));
    for (std::string t; cell >> t;) s.times.push_back(t);
    s.rec = trim(r.substr(77, 5));
    out.push_back(s);
  }
  return out;
}

// "7.05+" as seconds after midnight.
int seconds_of(const std::string& t) {
  const size_t dot = t.find('.');
  return (std::stoi(t.substr(0, dot)) * 60 + std::stoi(t.substr(dot + 1, 2))) * 60 +
         (t.back() == '+' ? 30 : 0);
}

std::vector<std::string> builtin_rows(std::span<const std::string_view> rows) {
  return {rows.begin(), rows.end()};
}

const Documents& builtin_documents() {
  static const Documents d = documents_of({"Lindeva_Querno", "40716"}, *builtin_compiled().state);
  return d;
}

TEST(BuiltinDocuments, StationsTimesAndWidthsAgreeWithTheHandWrittenSheet) {
  const auto& sheet = builtin_documents().sheet;
  const auto hand = builtin_rows(content::scheda_rows());
  const auto ours = sheet_stations(sheet.rows);
  const auto theirs = sheet_stations(hand);
  ASSERT_EQ(theirs.size(), 18u);
  ASSERT_EQ(ours.size(), theirs.size());
  for (size_t k = 0; k < ours.size(); ++k) {
    SCOPED_TRACE(theirs[k].name);
    EXPECT_EQ(ours[k].name, theirs[k].name);
    ASSERT_EQ(ours[k].times.size(), theirs[k].times.size());
    // The last time of a timed station is the scheduled one; the others are computed.
    const bool timed = !theirs[k].rec.empty() || k == 0;
    for (size_t t = 0; t < ours[k].times.size(); ++t) {
      if (timed && t + 1 == ours[k].times.size()) {
        EXPECT_EQ(ours[k].times[t], theirs[k].times[t]);
      } else {
        EXPECT_LE(std::abs(seconds_of(ours[k].times[t]) - seconds_of(theirs[k].times[t])), 60)
            << ours[k].times[t] << " against " << theirs[k].times[t];
      }
    }
    EXPECT_EQ(ours[k].rec.empty(), theirs[k].rec.empty());
  }
  for (size_t i = 13; i + 1 < sheet.rows.size(); ++i) EXPECT_EQ(sheet.rows[i].size(), 83u) << i;
  for (size_t i = 0; i < 13; ++i) EXPECT_EQ(sheet.rows[i].size(), hand[i].size()) << i;
  EXPECT_EQ(sheet.rows[4], hand[4].substr(0, 72) + "V160      |");
  EXPECT_EQ(sheet.rows[5], hand[5]);
  EXPECT_EQ(sheet.rows[9].substr(36), hand[9].substr(36));  // the blocked mass, 420T
  // The default train model is 1.5 min short of the last section's scheduled time.
  ASSERT_EQ(sheet.warnings.size(), 1u);
  EXPECT_NE(sheet.warnings[0].find("the section POGGIO SERENTE - QUERNO cannot be kept"),
            std::string::npos);
}

TEST(BuiltinDocuments, PassingTimesAreTheEcoRunsAndTheFastestRunSharesTheMargin) {
  // Each computed time of the sheet is the run's, rounded down to the half minute: by default
  // the eco run's; with the fastest run, the margin shared over the section.
  const BuildState& s = *builtin_compiled().state;
  const timing::RunInput in = run_input(s.general, s.track.blocks(), s.curves);
  for (const timing::RunKind kind : {timing::RunKind::kEco, timing::RunKind::kFastest}) {
    timing::RunOptions o;
    o.kind = kind;
    const timing::RunResult run = timing::compute_run(in, timing::TrainModel{}, o);
    const Documents d =
        documents::scenario_documents({"Lindeva_Querno", "40716"}, s.general, s.track.blocks(),
                                      s.curves, timing::TrainModel{}, o.step, kind);
    const auto sheet = sheet_stations(d.sheet.rows);
    ASSERT_EQ(sheet.size(), run.stations.size());
    for (const timing::Section& sec : run.sections) {
      if (!sec.feasible) continue;
      for (size_t k = sec.from + 1; k < sec.to; ++k) {
        SCOPED_TRACE(run.stations[k].name);
        const double at = kind == timing::RunKind::kEco
                              ? *run.stations[k].arrival
                              : *run.stations[sec.from].scheduled_departure +
                                    (*run.stations[k].fastest_arrival -
                                     *run.stations[sec.from].fastest_departure) *
                                        (sec.scheduled - run.stations[sec.to].dwell) /
                                        (sec.fastest - run.stations[sec.to].dwell);
        const int shown = seconds_of(sheet[k].times.front());
        EXPECT_LE(shown, at);
        EXPECT_GT(shown + 30, at);
      }
    }
  }
}

// "75.680" as 75680 metres; "0.230/13.030" as the two.
std::vector<int> metres_of(const std::string& km) {
  std::vector<int> out;
  std::stringstream in(km);
  for (std::string part; std::getline(in, part, '/');) {
    const size_t dot = part.find('.');
    out.push_back(std::stoi(part.substr(0, dot)) * 1000 + std::stoi(part.substr(dot + 1)));
  }
  return out;
}

TEST(BuiltinDocuments, ProgressivesAreTheLineSourcesKilometrage) {
  // The line source gives km 75.700 at route position 0 and, from 75750 on, km 88.500 there:
  // QUERNO at 88500 stands at 0.000. The hand-written sheet puts every other station 30 m
  // further up the line, in both kilometrages.
  const auto ours = sheet_stations(builtin_documents().sheet.rows);
  const auto theirs = sheet_stations(builtin_rows(content::scheda_rows()));
  ASSERT_EQ(ours.size(), theirs.size());
  EXPECT_EQ(ours.front().km, "75.650");
  EXPECT_EQ(ours[15].km, "0.200/13.000");  // POGGIO SERENTE, where the kilometrage changes
  EXPECT_EQ(ours.back().km, "0.000");
  for (size_t k = 0; k < ours.size(); ++k) {
    const auto a = metres_of(ours[k].km), b = metres_of(theirs[k].km);
    ASSERT_EQ(a.size(), b.size()) << theirs[k].name;
    for (size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(b[i] - a[i], k + 1 == ours.size() ? 0 : 30) << theirs[k].name;
    }
  }
}

TEST(BuiltinDocuments, SlowdownOrderMatchesTheHandWrittenFormButThePost) {
  const auto& order = builtin_documents().order;
  const auto hand = builtin_rows(content::rallentamenti_rows());
  ASSERT_EQ(order.rows.size(), hand.size());
  for (size_t i = 0; i < hand.size(); ++i) {
    if (i == 13 || i == 26) continue;
    EXPECT_EQ(order.rows[i], hand[i]) << i;
  }
  // Km 8.850 at the start, met from above: after post 9.
  EXPECT_EQ(order.rows[13],
            " | 1 | CORVARA SCALO e GALLIANO   |     9      |   100    |   1200  |            |");
  EXPECT_EQ(order.rows[26], " B - Interessa anche la stazione di  ");
}

// The train source's stations (name, and h.mm when timed) and slowdowns (speed, length).
struct TrainFacts {
  std::vector<std::pair<std::string, std::string>> stations;
  std::vector<std::pair<int, int>> slowdowns;
  std::string braking;  // the brake-mass percentage as written
};

TrainFacts read_train(const std::string& text) {
  TrainFacts f;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto v = split(line);
    if (line.rfind("stazione,", 0) == 0 && v.size() >= 18) {
      const int h = num(v[14]), m = num(v[15]);
      std::string t;
      if (h || m) t = std::to_string(h) + "." + (m < 10 ? "0" : "") + std::to_string(m);
      // The name is the rest of the row; a quoted one may hold a comma.
      size_t at = 0;
      for (int i = 0; i < 17; ++i) at = line.find(',', at) + 1;
      std::string name = trim(line.substr(at));
      if (name.size() >= 2 && name.front() == '"') name = name.substr(1, name.size() - 2);
      f.stations.emplace_back(name, t);
    }
    if (line.rfind("rallentamento,", 0) == 0) f.slowdowns.emplace_back(num(v[2]), num(v[3]));
    if (line.find("massa frenata") != std::string::npos) f.braking = trim(v[1]);
  }
  return f;
}

TEST(GeneratedDocuments, NameTheTrainSourcesStationsTimesAndSlowdowns) {
  // Plain scenarios, and varied ones: quoted names, two kilometrages, times out of order.
  for (const auto& [km, varied] : {std::pair{20, false}, {120, false}, {40, true}, {60, true}}) {
    SCOPED_TRACE(std::to_string(km) + " km" + (varied ? ", varied" : ""));
    const GeneratedSources g =
        generate_scenario(km, {.seed = static_cast<uint64_t>(km), .every_row_kind = varied});
    const Identity id{"Route", "1"};
    const auto c = decompile::compile_in_memory(id, g.line, g.train);
    ASSERT_TRUE(c.outcome.clean());
    const Documents d = documents_of(id, *c.state);
    const TrainFacts train = read_train(g.train);
    const auto sheet = sheet_stations(d.sheet.rows);
    ASSERT_EQ(sheet.size(), train.stations.size());
    ASSERT_GE(sheet.size(), 2u);
    for (size_t k = 0; k < sheet.size(); ++k) {
      EXPECT_EQ(sheet[k].name, train.stations[k].first);
      if (!train.stations[k].second.empty()) {
        std::string scheduled = sheet[k].times.back();
        if (scheduled.back() == '+') scheduled.pop_back();  // the seconds of a varied time
        EXPECT_EQ(scheduled, train.stations[k].second) << sheet[k].name;
      }
    }
    std::vector<std::pair<int, int>> order;
    for (const std::string& r : d.order.rows) {
      if (r.size() == 82 && std::isdigit(static_cast<unsigned char>(r[3])) &&
          r.substr(48, 10) != std::string(10, ' ')) {
        order.emplace_back(num(r.substr(48, 10)), num(r.substr(59, 9)));
      }
    }
    EXPECT_EQ(order, train.slowdowns);
    ASSERT_FALSE(train.slowdowns.empty());
    EXPECT_NE(d.sheet.rows[4].find("TRENO n." + id.train + " "), std::string::npos);
    EXPECT_NE(d.sheet.rows[5].find(" " + train.braking + "% "), std::string::npos);
    EXPECT_NE(d.order.rows[6].find(" treno " + id.train + " "), std::string::npos);
    // Every table row has the width of the built-in's: the sheet's from row 13, the order's
    // from row 8.
    for (size_t i = 13; i + 1 < d.sheet.rows.size(); ++i) EXPECT_EQ(d.sheet.rows[i].size(), 83u);
    for (size_t i = 8; i <= 8 + 12 + 2 * (train.slowdowns.size() - 1); ++i) {
      EXPECT_EQ(d.order.rows[i].size(), 82u) << d.order.rows[i];
    }
  }
}

// A small scenario: a 20 km line and stations A (6.00), B (6.12) and C (6.25).
struct Small {
  std::string progressives = "progressiva chilometrica uno,  0,  20000,  1\r\n";
  std::string b_name = "B";
  bool one_station = false;
  std::string slowdown = "rallentamento,  12000,  50,  800,  0,  1,  100\r\n";
  std::string boards;  // rows of the line's [indicazioni]
};

Documents small_documents(const Small& s) {
  const std::string line = "[generale]\r\nlunghezza percorso,  20000\r\n" + s.progressives +
                           "[curve]\r\n[indicazioni]\r\n" + s.boards + "[fine]\r\n";
  std::string train =
      "[generale]\r\nnumero vetture,  5\r\npercentuale massa frenata,  100\r\n"
      "orologio,  6 0 0\r\n[aderenze]\r\naderenza,  0,  100\r\n[vel_limite]\r\nvelocita,  0,  "
      "100\r\nvelocita,  5000,  60\r\n"
      "velocita,  6000,  100\r\n[stazioni]\r\n";
  if (s.one_station) {
    train += "stazione,  50,  6,  800,  1, 0, 0,  1,1,0,  4,1,1,  0,  6,0,0,  A\r\n";
  } else {
    train +=
        "stazione,  50,  12,  700,  0, 0, 0,  1,1,0,  4,1,1,  1,  6,0,0,  A\r\n"
        "stazione,  10000,  22,  600,  0, 0, 0,  1,1,0,  4,1,1,  30,  6,12,0,  " +
        s.b_name +
        "\r\n"
        "stazione,  19000,  6,  800,  1, 0, 0,  1,1,0,  4,1,1,  0,  6,25,0,  C\r\n";
  }
  train += "[rallentamenti]\r\n" + s.slowdown + "[fine]\r\n";
  const Compiled c = compile(line, train.c_str());
  EXPECT_EQ(c.status(), 0);
  return documents_of({"T", "1"}, *c.state);
}

TEST(SmallDocuments, KilometrageWithoutAChangeFallsAlongTheRoute) {
  const Documents d = small_documents({});
  const auto st = sheet_stations(d.sheet.rows);
  ASSERT_EQ(st.size(), 3u);
  EXPECT_EQ(st[0].km, "19.950");
  EXPECT_EQ(st[1].km, "10.000");
  EXPECT_EQ(st[2].km, "1.000");
  for (const std::string& r : d.sheet.rows) EXPECT_EQ(r.find("------"), std::string::npos);
  EXPECT_EQ(st[1].times.size(), 2u);  // a timed stop: arrival and departure
  EXPECT_EQ(st[1].times.back(), "6.12");
  EXPECT_EQ(st[2].times, std::vector<std::string>{"6.25"});
  EXPECT_FALSE(st[1].rec.empty());
  // The limit falls to 60 at 5000 m, km 15, and rises to 100 at 6000 m: without a board near,
  // each place is named by its kilometre.
  std::vector<std::string> speed_rows;
  for (size_t i = 16; i < d.sheet.rows.size(); ++i) {
    const std::string& r = d.sheet.rows[i];
    if (r.size() == 83 && r[5] != ' ' && r[32] == ' ') speed_rows.push_back(r);
  }
  EXPECT_EQ(
      speed_rows,
      (std::vector<std::string>{
          " |  60 |  60 |  15.000  |  60 |      Km 15+000             |                |     |",
          " | 100 | 100 |  14.000  | 100 |      Km 14+000             |                |     |"}));
  EXPECT_TRUE(d.sheet.warnings.empty());
}

TEST(SmallDocuments, ASpeedChangeIsNamedByABoardWithin200Metres) {
  Small s;
  s.boards =
      "cartello_indicatore,  5150,  (PASSAGGIO)(A LIVELLO)(Km 14+850)\r\n"
      "cartello_indicatore,  6250,  (CAVALCAVIA)\r\n";
  std::vector<std::string> places;
  const auto rows = small_documents(s).sheet.rows;
  for (size_t i = 16; i < rows.size(); ++i) {
    const std::string& r = rows[i];
    if (r.size() == 83 && r[5] != ' ' && r[32] == ' ') places.push_back(trim(r.substr(31, 28)));
  }
  // 150 m from the first change: its text, in the whole words that fit; the second board is
  // 250 m from its change.
  EXPECT_EQ(places, (std::vector<std::string>{"PASSAGGIO A LIVELLO", "Km 14+000"}));
}

TEST(SmallDocuments, AChangeOfKilometrageStandsAtTheNearestStationOrOnItsOwn) {
  Small near, away;
  near.progressives =
      "progressiva chilometrica uno,  0,  20000,  1\r\n"
      "progressiva chilometrica due,  10200,  50000,  1\r\n";
  away.progressives =
      "progressiva chilometrica uno,  0,  20000,  1\r\n"
      "progressiva chilometrica due,  15000,  50000,  1\r\n";
  const auto at_b = sheet_stations(small_documents(near).sheet.rows);
  ASSERT_EQ(at_b.size(), 3u);
  EXPECT_EQ(at_b[1].km, "10.000/40.000");  // both kilometrages at B's own position
  EXPECT_EQ(at_b[2].km, "31.000");
  const Documents d = small_documents(away);
  const auto& rows = d.sheet.rows;
  size_t at = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].find("Cambio progressiva") != std::string::npos) at = i;
  }
  ASSERT_GT(at, 0u);
  EXPECT_EQ(trim(rows[at].substr(14, 10)), "------");
  EXPECT_EQ(trim(rows[at - 1].substr(14, 10)), "5.000");
  EXPECT_EQ(trim(rows[at + 1].substr(14, 10)), "35.000");
}

TEST(SmallDocuments, ALongNameIsCutWithAWarning) {
  Small s;
  s.b_name = "STAZIONE DAL NOME TROPPO LUNGO PER LA CELLA";
  const Documents d = small_documents(s);
  const auto st = sheet_stations(d.sheet.rows);
  ASSERT_EQ(st.size(), 3u);
  EXPECT_EQ(st[1].name, "STAZIONE DAL NOME TROPPO L");
  ASSERT_EQ(d.sheet.warnings.size(), 1u);
  EXPECT_NE(d.sheet.warnings[0].find("'STAZIONE DAL NOME TROPPO LUNGO PER LA CELLA'"),
            std::string::npos);
  // The order's stations cell names B and C for the slowdown at 12000, so it is cut too.
  ASSERT_EQ(d.order.warnings.size(), 1u);
  EXPECT_NE(d.order.rows[13].find(" STAZIONE DAL NOME TROPPO L |"), std::string::npos);
}

TEST(SmallDocuments, OneStationAndNoSlowdown) {
  Small s;
  s.one_station = true;
  s.slowdown = "";
  const Documents d = small_documents(s);
  const auto st = sheet_stations(d.sheet.rows);
  ASSERT_EQ(st.size(), 1u);
  EXPECT_EQ(st[0].times, std::vector<std::string>{"6.00"});
  EXPECT_NE(d.sheet.rows[4].find("da: A"), std::string::npos);
  EXPECT_NE(d.sheet.rows[5].find("a: A"), std::string::npos);
  // The order keeps its form, with the first numbered row left blank.
  const auto hand = builtin_rows(content::rallentamenti_rows());
  ASSERT_EQ(d.order.rows.size(), hand.size() - 2);
  EXPECT_EQ(d.order.rows[4], "  Linea  A - A");
  EXPECT_EQ(d.order.rows[13],
            " | 1 |                            |            |          |         |            |");
  EXPECT_EQ(d.order.rows.back(), hand.back());
}

TEST(SmallDocuments, ASlowdownOverAStationConcernsIt) {
  Small s;
  s.slowdown = "rallentamento,  9500,  30,  1000,  0,  1,  100\r\n";
  const Documents d = small_documents(s);
  // Km 10.500 at the start, met from above: after post 11.
  EXPECT_EQ(d.order.rows[13],
            " | 1 | A e C                      |     11     |   30     |   1000  |     B      |");
  EXPECT_EQ(d.order.rows[26], " B - Interessa anche la stazione di  B");
}

TEST(DocumentCells, TimesKilometresMarginsAndPosts) {
  const struct {
    int64_t seconds;
    const char* text;
  } times[] = {{6 * 3600 + 55 * 60, "6.55"},
               {7 * 3600 + 5 * 60 + 30, "7.05+"},
               {7 * 3600 + 5 * 60 + 29, "7.05"},
               {23 * 3600 + 59 * 60 + 59, "23.59+"},
               {24 * 3600 + 60, "0.01"}};
  for (const auto& t : times) EXPECT_EQ(documents::clock_time(t.seconds), t.text) << t.seconds;
  EXPECT_EQ(documents::kilometre_text(75680), "75.680");
  EXPECT_EQ(documents::kilometre_text(0), "0.000");
  EXPECT_EQ(documents::kilometre_text(-50), "-0.050");
  EXPECT_EQ(documents::board_kilometre_text(2461), "Km 2+461");
  const struct {
    double seconds;
    const char* text;
  } margins[] = {{60, "1.0"}, {89, "1.0"}, {59, "0.5"}, {90, "1.5"}, {0, "0.0"}, {-10, "-0.5"}};
  for (const auto& m : margins) EXPECT_EQ(documents::margin_text(m.seconds), m.text) << m.seconds;
  const struct {
    double seconds;
    const char* text;
  } cells[] = {{90, "1.5"},    {-5970, "-100"}, {-11790, "-197"},
               {45450, "757"}, {-1e7, "-999"},  {1e7, "9999"}};
  for (const auto& m : cells) EXPECT_EQ(documents::margin_cell_text(m.seconds), m.text);
  const timing::Progressive falling{0, 75700, 1}, rising{0, 1000, 0};
  EXPECT_EQ(documents::post_before(falling, 66850), 9);  // km 8.850
  EXPECT_EQ(documents::post_before(falling, 66700), 9);  // exactly at post 9
  EXPECT_EQ(documents::post_before(rising, 2500), 3);    // km 3.500
  EXPECT_EQ(documents::post_before(falling, 76000), 0);  // km -0.300, beyond post 0
  EXPECT_EQ(documents::board_words("(CAVALCAVIA)( VIA ROVERE )"), "CAVALCAVIA VIA ROVERE");
  EXPECT_EQ(documents::board_words("  PONTE  "), "PONTE");
}

}  // namespace
}  // namespace scenario::testing

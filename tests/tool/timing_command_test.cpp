// scenario-tool timing: what it reads of the compiled files, its table, JSON and SVG, its exit
// statuses, and its answers to damaged files and impossible model values.
#include "tool/timing_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "format/file_names.h"
#include "inspect/run_input.h"
#include "support/builtin_compiled.h"
#include "support/compile_fixture.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::builtin_compiled;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

struct Outcome {
  int status;
  std::string out, err;
};

Outcome timing(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = tool::timing_command(args, out, err);
  return {status, out.str(), err.str()};
}

// The built-in scenario's compiled files copied into dir, for tests that spoil them.
void copy_builtin(const std::string& dir) {
  const auto& b = builtin_compiled();
  for (const std::string& f : {b.general_file, b.track_file, b.curve_file}) {
    write_file(dir + "/" + f.substr(f.rfind('/') + 1), read_file(f));
  }
}

TEST(TimingInput, ReadsStopsTimesSlowdownsAndTheTrainFromTheCompiledFiles) {
  const timing::RunInput in = load_run_input(builtin_compiled().dir, {"Lindeva_Querno", "40716"});
  ASSERT_EQ(in.stations.size(), 18u);
  const timing::RunStation& origin = in.stations.front();
  EXPECT_EQ(origin.name, "LINDEVA");
  EXPECT_EQ(origin.position, 50);
  EXPECT_EQ(origin.stop, 350);  // its stop marker, block 7
  EXPECT_EQ(origin.scheduled, (6 * 60 + 55) * 60);
  EXPECT_EQ(in.stations[1].name, "PONTE ALBERINO");  // passed: no marker, no time
  EXPECT_EQ(in.stations[1].stop, 4700);
  EXPECT_FALSE(in.stations[1].scheduled.has_value());
  EXPECT_EQ(in.stations[3].dwell_field, 30);  // VILLA DORSENA, a timed stop
  EXPECT_EQ(in.stations.back().stop, 88600);  // QUERNO, kind 6
  EXPECT_EQ(in.stations.back().scheduled, 8 * 3600);

  ASSERT_EQ(in.slowdowns.size(), 1u);
  EXPECT_DOUBLE_EQ(in.slowdowns[0].from, 1338 * 50);
  EXPECT_DOUBLE_EQ(in.slowdowns[0].to, 1362 * 50);
  EXPECT_DOUBLE_EQ(in.slowdowns[0].kmh, 100);
  EXPECT_DOUBLE_EQ(in.limit_kmh[0], 75);
  EXPECT_DOUBLE_EQ(in.limit_kmh[38], 135);
  EXPECT_DOUBLE_EQ(in.gradient[8], -6);
  EXPECT_DOUBLE_EQ(in.adhesion[100], 100);
  EXPECT_FALSE(in.curves.empty());
  ASSERT_EQ(in.progressives.size(), 2u);
  EXPECT_EQ(in.coaches, 7);
  EXPECT_EQ(in.brake_percent, 120);
  EXPECT_EQ(in.start_clock, (6 * 60 + 54) * 60 + 30);
}

TEST(TimingCommand, NamesTheSectionThatCannotBeKeptAndExitsThree) {
  const Outcome o = timing({builtin_compiled().dir});
  EXPECT_EQ(o.status, 3);
  const std::string prefix = builtin_compiled().general_file +
                             ": section POGGIO SERENTE - QUERNO: scheduled 8.0 min, fastest ";
  EXPECT_EQ(o.err.substr(0, prefix.size()), prefix) << o.err;
  EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  EXPECT_NE(o.out.find("LINDEVA - VILLA DORSENA"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("cannot be kept"), std::string::npos);
}

// 19 km at up to 100 km/h in an hour, or in the minutes given.
testing::Compiled nineteen_km(int minutes = 60) {
  const std::string train = testing::train_with(
      ("percentuale massa frenata, 120\r\nnumero vetture, 7\r\naderenza, 0, 100\r\n"
       "velocita, 0, 100\r\n"
       "stazione, 1000, 12, 700, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 6, 0, 0, A\r\n"
       "stazione, 20000, 12, 700, 1, 0, 0, 1, 1, 0, 4, 1, 1, 0, " +
       std::to_string(6 + minutes / 60) + ", " + std::to_string(minutes % 60) + ", 0, B\r\n")
          .c_str());
  return testing::compile(testing::line_with_body(""), train.c_str());
}

TEST(TimingCommand, ExitsZeroWhenEverySectionCanBeKept) {
  const testing::Compiled c = nineteen_km();
  ASSERT_EQ(c.status(), 0);
  const Outcome o = timing({c.dir->path()});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
  EXPECT_NE(o.out.find("A - B"), std::string::npos) << o.out;
}

TEST(TimingCommand, ASectionBelowItsAllowanceIsTightAWarningThatKeepsExitZero) {
  // The fastest run takes 12.4 minutes: 13 leave under 5 %, below the 7 % allowance; 10
  // minutes per 100 km make 1.9 minutes of allowance.
  const testing::Compiled c = nineteen_km(13);
  ASSERT_EQ(c.status(), 0);
  const std::string sim = c.dir->path() + "/T_1.sim";
  struct Case {
    std::vector<std::string> options;
    bool tight;
  };
  const Case cases[] = {
      {{}, true},
      {{"--allowance", "1"}, false},
      {{"--allowance", "0", "--allowance-per-100km", "10"}, true},
  };
  for (const Case& k : cases) {
    std::vector<std::string> args = k.options;
    args.push_back(c.dir->path());
    const Outcome o = timing(args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err.rfind(sim + ": warning: section A - B: margin ", 0) == 0, k.tight) << o.err;
    EXPECT_EQ(o.out.find("tight: allowance") != std::string::npos, k.tight) << o.out;
  }
}

TEST(TimingCommand, TheTimetableRunsArriveOnScheduleWithTheirEnergy) {
  const testing::Compiled c = nineteen_km(18);
  ASSERT_EQ(c.status(), 0);
  double traction[3] = {};
  int k = 0;
  for (const char* run : {"fastest", "linear", "eco"}) {
    SCOPED_TRACE(run);
    const Outcome o = timing({"--json", "--run", run, c.dir->path()});
    ASSERT_EQ(o.status, 0) << o.err;
    const nlohmann::json j = nlohmann::json::parse(o.out);
    EXPECT_EQ(j["run"], run);
    const auto& b = j["stations"][1];
    if (k > 0) {
      EXPECT_NEAR(b["arrival"].get<double>(), 6 * 3600 + 18 * 60, 1);
    }
    EXPECT_EQ(j["profile"].back()[2], b["arrival"]);
    const auto& e = j["sections"][0]["energy"];
    traction[k++] = e["traction_kwh"].get<double>();
    EXPECT_NEAR(e["pantograph_kwh"].get<double>(), e["traction_kwh"].get<double>() / 0.85, 0.02);
    EXPECT_EQ(j["energy"]["traction_kwh"], e["traction_kwh"]);
    const std::string table = timing({"--run", run, c.dir->path()}).out;
    EXPECT_NE(table.find("energy in kWh, " + std::string(run) + " run"), std::string::npos)
        << table;
  }
  EXPECT_GT(traction[0], traction[1]);
  EXPECT_GT(traction[1], traction[2]);
}

TEST(TimingCommand, JsonCarriesTheModelStationsSectionsAndProfile) {
  const Outcome o = timing({"--json", "--loco-mass", "80", builtin_compiled().dir});
  ASSERT_EQ(o.status, 3) << o.err;
  const nlohmann::json j = nlohmann::json::parse(o.out);
  EXPECT_EQ(j["model"]["loco_mass_t"], 80.0);
  EXPECT_EQ(j["model"]["train_mass_t"], 80.0 + 7 * 40);
  EXPECT_TRUE(j["model"]["coaches"].is_null());
  const nlohmann::json four =
      nlohmann::json::parse(timing({"--json", "--coaches", "4", builtin_compiled().dir}).out);
  EXPECT_EQ(four["model"]["train_mass_t"], 72.0 + 4 * 40);
  EXPECT_EQ(four["model"]["coaches"], 4);
  // A preset, one of its values changed by an option after it.
  const nlohmann::json jazz = nlohmann::json::parse(
      timing({"--json", "--stock", "etr425", "--power", "2000", builtin_compiled().dir}).out);
  EXPECT_EQ(jazz["model"]["train_mass_t"], 204.0);
  EXPECT_EQ(jazz["model"]["power_kw"], 2000.0);
  // Hauled coaches of a published kind, as many as asked; a diesel railcar draws nothing from a
  // pantograph.
  const nlohmann::json vivalto =
      nlohmann::json::parse(timing({"--json", "--stock", "e464", "--coach-type", "vivalto",
                                    "--coaches", "5", builtin_compiled().dir})
                                .out);
  EXPECT_EQ(vivalto["model"]["train_mass_t"], 72.0 + 5 * 50);
  EXPECT_NEAR(vivalto["model"]["train_length_m"].get<double>(), 15.75 + 5 * 26.06, 1e-9);
  const nlohmann::json aln =
      nlohmann::json::parse(timing({"--json", "--stock", "aln668", builtin_compiled().dir}).out);
  EXPECT_EQ(aln["model"]["train_mass_t"], 37.0);
  EXPECT_TRUE(aln["energy"]["pantograph_kwh"].is_null());
  EXPECT_GT(aln["energy"]["traction_kwh"].get<double>(), 0);
  ASSERT_EQ(j["stations"].size(), 18u);
  const auto& origin = j["stations"][0];
  EXPECT_EQ(origin["name"], "LINDEVA");
  // 75700 - 50: the kilometrage as the line source writes it, without the compiled offset.
  EXPECT_EQ(origin["km"], 75650.0);
  EXPECT_EQ(origin["scheduled_departure"], 24900.0);
  EXPECT_TRUE(origin["scheduled_arrival"].is_null());
  EXPECT_TRUE(j["stations"][1]["scheduled_departure"].is_null());
  EXPECT_EQ(j["stations"][17]["scheduled_arrival"], 28800.0);
  EXPECT_TRUE(j["stations"][17]["fastest_departure"].is_null());
  ASSERT_EQ(j["sections"].size(), 6u);
  const auto& last = j["sections"][5];
  EXPECT_EQ(last["from"], "POGGIO SERENTE");
  EXPECT_EQ(last["to"], "QUERNO");
  EXPECT_EQ(last["scheduled"], 480.0);
  EXPECT_FALSE(last["feasible"].get<bool>());
  EXPECT_NEAR(last["margin"].get<double>(),
              last["scheduled"].get<double>() - last["fastest"].get<double>(), 0.011);
  const auto& profile = j["profile"];
  ASSERT_GT(profile.size(), 88000u / 50);
  EXPECT_EQ(profile[0][0], 350.0);
  EXPECT_EQ(profile[0][2], 24900.0);
  for (size_t i = 1; i < profile.size(); ++i) {
    ASSERT_LE(profile[i][0].get<double>() - profile[i - 1][0].get<double>(), 50.0) << i;
  }
}

// The text between the README's fence that opens with `opening` and the fence that closes it.
std::string readme_block(const std::string& opening) {
  const std::string readme = read_file(std::string(SCENARIO_SOURCE_DIR) + "/README.md");
  const size_t start = readme.find("```text\n" + opening);
  if (start == std::string::npos) return "";
  const size_t body = start + 8;
  return readme.substr(body, readme.find("```", body) - body);
}

TEST(TimingCommand, TheReadmeShowsWhatItPrintsForTheBuiltInScenario) {
  const Outcome o = timing({builtin_compiled().dir});
  EXPECT_EQ(readme_block("Lindeva_Querno, train 40716:"), o.out);
  // The README's folder is /tmp/x.
  std::string err = o.err;
  err.replace(0, builtin_compiled().dir.size(), "/tmp/x");
  EXPECT_EQ(readme_block("/tmp/x/Lindeva_Querno_40716.sim: section"), err);
}

TEST(TimingCommand, DrawsBothDiagrams) {
  TempDir out;
  const std::string file = out.file("run.svg");
  ASSERT_EQ(timing({"--svg", file, builtin_compiled().dir}).status, 3);
  const std::string svg = read_file(file);
  for (const char* id : {"id=\"limit\"", "id=\"speed-run\"", "id=\"time-run\""}) {
    EXPECT_NE(svg.find(id), std::string::npos) << id;
  }
  EXPECT_EQ(svg.find("id=\"speed-fastest\""), std::string::npos);
  // The eco run over the fastest, its coasting marked, its energy at the head of the page.
  ASSERT_EQ(timing({"--svg", file, "--run", "eco", builtin_compiled().dir}).status, 3);
  const std::string eco = read_file(file);
  for (const char* part : {"id=\"speed-fastest\"", "id=\"time-fastest\"", "class=\"coasting\"",
                           "eco run: 352 t", "kWh"}) {
    EXPECT_NE(eco.find(part), std::string::npos) << part;
  }
  EXPECT_NE(svg.find("POGGIO SERENTE"), std::string::npos);
  EXPECT_NE(svg.find("cannot be kept"), std::string::npos);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

TEST(TimingCommand, DamagedFilesAndFilesWithoutStationsAreErrors) {
  TempDir damaged;
  copy_builtin(damaged.path());
  const std::string dat = damaged.file(track_file_name({"Lindeva_Querno", "40716"}));
  write_file(dat, read_file(dat).substr(0, 20));
  Outcome o = timing({damaged.path()});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err.rfind("scenario-tool timing: " + dat + ": offset ", 0), 0u) << o.err;

  const std::string no_stations = testing::train_with("numero vetture, 7");
  const testing::Compiled empty =
      testing::compile(testing::line_with_body(""), no_stations.c_str());
  o = timing({empty.dir->path()});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("T_1.sim: the general table holds no station"), std::string::npos) << o.err;
}

TEST(TimingCommand, ImpossibleModelValuesAndBadOptionsAreUsageErrors) {
  const std::string dir = builtin_compiled().dir;
  const std::vector<std::vector<std::string>> cases = {
      {"--loco-mass", "0", dir},
      {"--max-effort", "-5", dir},
      {"--coach-mass", "0", dir},
      {"--power", "abc", dir},
      {"--resistance", "1,2", dir},
      {"--service-brake", "1.5", dir},
      {"--step", "0", dir},
      {"--rotating-mass", "0.9", dir},
      {"--run", "slow", dir},
      {"--stock", "e999", dir},
      {"--coach-type", "ucz", dir},
      {"--brake-build-up", "-1", dir},
      {"--coaches", "4.5", dir},
      {"--coaches", "-1", dir},
      {"--efficiency", "0", dir},
      {"--run"},
      {"--allowance", "-1", dir},
      {"--allowance-per-100km", "x", dir},
      {"--bogus", dir},
      {"--loco-mass"},
      {},
  };
  for (const auto& args : cases) {
    const Outcome o = timing(args);
    EXPECT_EQ(o.status, 2) << (args.empty() ? "" : args[0]) << ": " << o.err;
    EXPECT_NE(o.err.find("usage: scenario-tool timing"), std::string::npos);
  }
  EXPECT_NE(
      timing({"--loco-mass", "0", dir}).err.find("the locomotive mass must be above 0, not 0"),
      std::string::npos);
}

}  // namespace
}  // namespace scenario

// scenario-tool timing: what it reads of the compiled files, its table, JSON and SVG, its exit
// statuses, and its answers to damaged files and impossible model values.
#include "tool/timing_command.h"

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "format/file_names.h"
#include "inspect/run_input.h"
#include "support/builtin_compiled.h"
#include "support/child_process.h"
#include "support/compile_fixture.h"
#include "support/scenario_generator.h"
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

// Every number of the JSON as the decimals it is computed to: the run's with at most two
// places, the model's (given with more, such as a resistance of 0.0002) with at most six.
TEST(TimingCommand, JsonNumbersHaveNoBinaryNoise) {
  for (const char* run : {"fastest", "eco"}) {
    SCOPED_TRACE(run);
    const Outcome o = timing({"--json", "--run", run, builtin_compiled().dir});
    ASSERT_EQ(o.status, 3) << o.err;
    EXPECT_FALSE(std::regex_search(o.out, std::regex("[0-9]\\.[0-9]{7}"))) << "seven decimals";
    const nlohmann::json j = nlohmann::json::parse(o.out);
    size_t checked = 0;
    const auto places = [](const nlohmann::json& v) {
      const std::string t = v.dump();
      const size_t dot = t.find('.');
      return dot == std::string::npos ? size_t{0} : t.size() - dot - 1;
    };
    const std::function<void(const nlohmann::json&, size_t, const std::string&)> walk =
        [&](const nlohmann::json& v, size_t most, const std::string& where) {
          if (v.is_number_float()) {
            ++checked;
            EXPECT_LE(places(v), most) << where << " " << v.dump();
          }
          if (v.is_structured()) {
            for (auto it = v.begin(); it != v.end(); ++it) {
              walk(*it, most, where + "/" + (v.is_object() ? it.key() : "[]"));
            }
          }
        };
    for (auto it = j.begin(); it != j.end(); ++it) {
      const bool given = it.key() == "model" || it.key() == "allowance";
      walk(*it, given ? 6 : 2, it.key());
    }
    EXPECT_GT(checked, 5000u);
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
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"--loco-mass", "0", dir}, "--loco-mass must be from 1 to 1000, not 0"},
      {{"--max-effort", "-5", dir}, "--max-effort must be from 1 to 2000, not -5"},
      {{"--coach-mass", "0", dir}, "--coach-mass must be from 1 to 200, not 0"},
      {{"--power", "abc", dir}, "--power needs a number, not 'abc'"},
      {{"--power=inf", dir}, "--power needs a number, not 'inf'"},
      {{"--resistance", "1,2", dir}, "--resistance needs A,B,C, not '1,2'"},
      {{"--resistance", "1,2,1e308", dir}, "--resistance must be from 0 to 100, not 1e308"},
      {{"--service-brake", "1.5", dir}, "--service-brake must be from 0.05 to 1, not 1.5"},
      {{"--rotating-mass", "0.9", dir}, "--rotating-mass must be from 1 to 2, not 0.9"},
      // Values that pass as numbers but leave no finite time, rate or clock.
      {{"--max-speed", "1e-300", dir}, "--max-speed must be from 5 to 500, not 1e-300"},
      {{"--brake-rate", "1e308", dir}, "--brake-rate must be from 0.05 to 5, not 1e308"},
      {{"--service-brake", "1e-300", dir}, "--service-brake must be from 0.05 to 1, not 1e-300"},
      {{"--dwell", "1e300", dir}, "--dwell must be from 0 to 86400, not 1e300"},
      // The step's floor bounds the run's memory; a tiny one would overflow the point count.
      {{"--step", "0", dir}, "--step must be from 0.1 to 50, not 0"},
      {{"--step", "0.001", dir}, "--step must be from 0.1 to 50, not 0.001"},
      {{"--step", "1e-20", dir}, "--step must be from 0.1 to 50, not 1e-20"},
      {{"--step", "51", dir}, "--step must be from 0.1 to 50, not 51"},
      {{"--run", "slow", dir}, "--run needs fastest, linear or eco, not 'slow'"},
      {{"--stock", "e999", dir}, "--stock needs one of "},
      {{"--coach-type", "ucz", dir}, "--coach-type needs one of "},
      {{"--brake-build-up", "-1", dir}, "--brake-build-up must be from 0 to 60, not -1"},
      {{"--brake-build-up", "1e300", dir}, "--brake-build-up must be from 0 to 60, not 1e300"},
      {{"--coaches", "4.5", dir}, "--coaches needs a whole number from 0 to 99, not '4.5'"},
      {{"--coaches", "-1", dir}, "--coaches needs a whole number from 0 to 99, not '-1'"},
      {{"--efficiency", "0", dir}, "--efficiency must be from 0.05 to 1, not 0"},
      {{"--run"}, "--run needs a value"},
      {{"--allowance", "-1", dir}, "--allowance must be from 0 to 100, not -1"},
      {{"--allowance", "1e308", dir}, "--allowance must be from 0 to 100, not 1e308"},
      {{"--allowance-per-100km", "x", dir}, "--allowance-per-100km needs a number, not 'x'"},
      {{"--allowance-per-100km", "1e300", dir},
       "--allowance-per-100km must be from 0 to 60, not 1e300"},
      {{"--bogus", dir}, "unknown option '--bogus'"},
      {{"--loco-mass"}, "--loco-mass needs a value"},
      {{}, "DIR is missing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    const Outcome o = timing(c.args);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err.rfind("scenario-tool timing: " + c.says, 0), 0u) << o.err;
    EXPECT_NE(o.err.find("\nusage: scenario-tool timing "), std::string::npos) << o.err;
  }
}

// The bounds that --help states are the values that give a finite run: at each corner of them
// the run is computed or refused with a reason, and nothing prints an infinite or undefined
// number.
TEST(TimingCommand, EveryValueWithinTheBoundsGivesFiniteNumbers) {
  const std::string dir = builtin_compiled().dir;
  const std::vector<std::string> low = {
      "--loco-mass=1",        "--loco-length=1",  "--max-effort=1",    "--power=10",
      "--coach-mass=1",       "--coach-length=1", "--rotating-mass=1", "--brake-rate=0.05",
      "--service-brake=0.05", "--max-speed=5",    "--dwell=0",         "--resistance=0,0,0"};
  const std::vector<std::string> high = {
      "--loco-mass=1000",  "--loco-length=100",  "--max-effort=2000", "--power=50000",
      "--coach-mass=200",  "--coach-length=100", "--rotating-mass=2", "--brake-rate=5",
      "--service-brake=1", "--max-speed=500",    "--dwell=86400",     "--resistance=0,0,0"};
  std::vector<std::string> slow = low;  // the slowest train that still moves
  slow[3] = "--power=50000";
  slow[2] = "--max-effort=2000";
  const std::vector<std::vector<std::string>> corners = {
      low,
      high,
      slow,
      {"--max-speed=5", "--brake-rate=0.05", "--service-brake=0.05"},
      {"--max-speed=5", "--dwell=86400"},
      {"--run=eco", "--allowance=100", "--allowance-per-100km=60", "--efficiency=0.05"},
      {"--run=linear", "--max-speed=5", "--coaches=99"},
      {"--run=eco", "--stock=etr425", "--coaches=0", "--max-speed=500"},
      {"--resistance=100,100,100"}};
  TempDir svg;
  for (const auto& corner : corners) {
    for (const bool json : {false, true}) {
      std::vector<std::string> args = corner;
      if (json) args.push_back("--json");
      args.insert(args.end(), {"--svg", svg.file("t.svg"), dir});
      SCOPED_TRACE(::testing::PrintToString(args));
      const Outcome o = timing(args);
      EXPECT_NE(o.status, 2) << o.err;
      const std::string all = o.out + o.err + (o.status == 1 ? "" : read_file(svg.file("t.svg")));
      for (const char* bad : {"inf", "nan", "e+", "--"}) {
        EXPECT_EQ(all.find(bad), std::string::npos) << bad << " in " << o.out << o.err;
      }
      // Every column stands apart, however wide its values.
      EXPECT_EQ(o.out.find("min-"), std::string::npos) << o.out;
    }
  }
}

// The finest step on the longest route the track file holds: the run's points stay within
// 1 GiB of memory.
TEST(TimingCommand, TheFinestStepRunsALongRouteInBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers' shadow memory and quarantine come on top of the run's";
#endif
  TempDir dir;
  const testing::GeneratedSources g = testing::generate_scenario(testing::kMaxGeneratedKm);
  write_file(dir.file("Route_linea.txt"), g.line);
  write_file(dir.file("Route_1-.txt"), g.train);
  ASSERT_EQ(testing::run_child({SCENARIO_TOOL_EXE, "compile", dir.path()}).exit_code, 0);
  testing::ChildOptions o;
  o.alarm_seconds = 120;
  const testing::ChildResult r =
      testing::run_child({SCENARIO_TOOL_EXE, "timing", "--step", "0.1", dir.path()}, o);
  EXPECT_TRUE(r.exit_code == 0 || r.exit_code == 3) << r.describe();
  EXPECT_LT(r.max_rss_kib, 1024 * 1024);
}

}  // namespace
}  // namespace scenario

// scenario-tool import as an author runs it: the sources it writes pass check, compile, fmt
// --check, timing and documents; bad input gets one line, its exit status and no file.
#include <gtest/gtest.h>

#include <filesystem>

#include "geo_fixture.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

// One line of 12 km with its map (PBF, XML and compressed XML) and terrain, written once.
class ImportCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    AlignmentOptions o;
    o.seed = 11;
    o.length = 14'000;
    alignment_ = new GeneratedAlignment(generate_alignment(o));
    line_ = new LineMap(line_map(*alignment_, PlaneOnEarth{}));
    for (const char* name : {"line.osm.pbf", "line.osm", "line.osm.bz2"})
      line_->map.write(dir_->file(name));
    write_geotiff(*alignment_, PlaneOnEarth{}, dir_->file("all.tif"));
    write_geotiff(*alignment_, PlaneOnEarth{}, dir_->file("half.tif"), 0, 0.5);
  }
  static void TearDownTestSuite() {
    delete line_;
    delete alignment_;
    delete dir_;
  }
  static ProcessResult tool(std::vector<std::string> args) {
    return run_process(SCENARIO_TOOL_EXE, args);
  }
  static ProcessResult import(const std::string& out, std::vector<std::string> extra,
                              const std::string& osm = "line.osm.pbf") {
    std::vector<std::string> args = {"import", "--from", line_->origin, "--to", line_->destination,
                                     "--name", "Prova",  "--train",     "7",    "-o",
                                     out};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(dir_->file(osm));
    return tool(args);
  }
  static inline TempDir* dir_ = nullptr;
  static inline GeneratedAlignment* alignment_ = nullptr;
  static inline LineMap* line_ = nullptr;
};

TEST_F(ImportCommand, WritesSourcesThatEveryCommandTakes) {
  TempDir out;
  const ProcessResult r = import(out.path(), {"--dem", dir_->file("all.tif"), "--json"});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_NE(r.out.find("\"assumptions\""), std::string::npos);
  EXPECT_NE(r.out.find("\"curva\""), std::string::npos);
  const std::string line = read_file(out.file("Prova_linea.txt"));
  const std::string train = read_file(out.file("Prova_7-.txt"));
  EXPECT_NE(line.find("\r\n"), std::string::npos);
  EXPECT_EQ(line.find("\n", line.find("[fine]")), line.size() - 1);
  for (const std::string& text : {line, train}) {
    for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1)) {
      ASSERT_EQ(text[i - 1], '\r') << "a line end without CR";
    }
  }
  const ProcessResult check = tool({"check", out.path()});
  EXPECT_EQ(check.exit_status, 0) << check.err;
  EXPECT_EQ(check.err, "") << "check warns of the imported sources";
  EXPECT_EQ(
      tool({"fmt", "--check", out.file("Prova_linea.txt"), out.file("Prova_7-.txt")}).exit_status,
      0);
  const ProcessResult compile = tool({"compile", out.path()});
  EXPECT_EQ(compile.exit_status, 0) << compile.err;
  const ProcessResult timing = tool({"timing", out.path()});
  EXPECT_EQ(timing.exit_status, 0) << timing.err << timing.out;
  const ProcessResult documents = tool({"documents", out.path()});
  EXPECT_EQ(documents.exit_status, 0) << documents.err;

  // Again without --force: refused, the sources left as they are; with it, replaced.
  const ProcessResult again = import(out.path(), {"--dem", dir_->file("all.tif")});
  EXPECT_EQ(again.exit_status, 1);
  EXPECT_NE(again.err.find("give --force"), std::string::npos) << again.err;
  EXPECT_EQ(read_file(out.file("Prova_linea.txt")), line);
  EXPECT_EQ(import(out.path(), {"--dem", dir_->file("all.tif"), "--force"}).exit_status, 0);
  EXPECT_EQ(read_file(out.file("Prova_linea.txt")), line) << "the same input gave other sources";
}

TEST_F(ImportCommand, EveryFormatGivesTheSameSources) {
  std::string first;
  for (const char* osm : {"line.osm.pbf", "line.osm", "line.osm.bz2"}) {
    TempDir out;
    const ProcessResult r = import(out.path(), {}, osm);
    ASSERT_EQ(r.exit_status, 0) << osm << ": " << r.err;
    const std::string line =
        read_file(out.file("Prova_linea.txt")) + read_file(out.file("Prova_7-.txt"));
    if (first.empty()) first = line;
    EXPECT_EQ(line, first) << osm;
  }
}

TEST_F(ImportCommand, ElevationMissingOrShortIsLevelWithAWarning) {
  TempDir none, half;
  const ProcessResult without = import(none.path(), {});
  ASSERT_EQ(without.exit_status, 0) << without.err;
  EXPECT_NE(
      without.err.find("warning: no elevation model given (--dem): the line is level throughout"),
      std::string::npos)
      << without.err;
  const std::string level = read_file(none.file("Prova_linea.txt"));
  EXPECT_NE(level.find("[pendenze]\r\npendenza,   0,    0\r\n[montagne]"), std::string::npos)
      << level;

  const ProcessResult partly = import(half.path(), {"--dem", dir_->file("half.tif")});
  ASSERT_EQ(partly.exit_status, 0) << partly.err;
  EXPECT_NE(partly.err.find("warning: no elevation data from "), std::string::npos) << partly.err;
  EXPECT_NE(partly.err.find(": level there"), std::string::npos) << partly.err;
}

TEST_F(ImportCommand, BadInputGetsOneLineAndNoFile) {
  TempDir scratch;
  write_file(scratch.file("text.osm"), "this is not a map\n");
  write_file(scratch.file("notes.txt"), "<osm/>\n");
  write_file(scratch.file("dem.tif"), "not a raster");
  const struct {
    const char* what;
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {"an unknown station",
       {"--from", "Stazione 99", "--to", line_->destination, dir_->file("line.osm.pbf")},
       1,
       "no station, halt or stop named 'Stazione 99'; the nearest names: "},
      {"two networks",
       {"--from", line_->origin, "--to", "Altrove", dir_->file("line.osm.pbf")},
       1,
       "no railway path between the two stations"},
      {"not OSM data",
       {"--from", "A", "--to", "B", scratch.file("text.osm")},
       1,
       "not OSM data that can be read"},
      {"no known format",
       {"--from", "A", "--to", "B", scratch.file("notes.txt")},
       1,
       "not OSM data that can be read"},
      {"a missing file",
       {"--from", "A", "--to", "B", scratch.file("none.osm")},
       1,
       "No such file or directory"},
      {"a raster GDAL cannot read",
       {"--from", "A", "--to", "B", "--dem", scratch.file("dem.tif"), dir_->file("line.osm.pbf")},
       1,
       "not an elevation raster GDAL can read"},
      {"no relation",
       {"--relation", "4", dir_->file("line.osm.pbf")},
       1,
       "no relation 4 in the file"},
      {"both ways of naming the route",
       {"--relation", "4", "--from", "A", dir_->file("line.osm.pbf")},
       2,
       "--relation takes the place of --from and --to"},
      {"a bad clock",
       {"--from", "A", "--to", "B", "--start", "25:00", dir_->file("line.osm.pbf")},
       2,
       "--start takes a time as HH:MM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir out;
    std::vector<std::string> args = {"import", "-o", out.path()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProcessResult r = tool(args);
    EXPECT_EQ(r.exit_status, c.status);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    if (c.status == 1) {
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_TRUE(list_dir(out.path()).empty());
  }
}

TEST_F(ImportCommand, ARouteRelationInOrder) {
  TempDir out;
  const ProcessResult r = tool({"import", "--relation", "900", "-o", out.path(), "--name", "Prova",
                                "--train", "7", dir_->file("line.osm.pbf")});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(tool({"check", out.path()}).exit_status, 0);
}

TEST(ImportLongRoute, LongerThanTheReaderRefused) {
  // A straight line of 1,100 km northward, a node every 5 km, a station at each end.
  TempDir dir;
  const PlaneOnEarth where{36.0, 14.0};
  TestMap m;
  TestWay w{m.next_id + 1000, {}, {{"railway", "rail"}, {"usage", "main"}}};
  for (int k = 0; k <= 220; ++k) w.nodes.push_back(m.add_node(where.geo({0, 5000.0 * k})));
  m.ways.push_back(w);
  m.add_node(where.geo({20, 0}), {{"railway", "station"}, {"name", "Sud"}});
  m.add_node(where.geo({20, 1'100'000}), {{"railway", "station"}, {"name", "Nord"}});
  m.write(dir.file("long.osm.pbf"));
  const ProcessResult r = run_process(
      SCENARIO_TOOL_EXE,
      {"import", "--from", "Sud", "--to", "Nord", "-o", dir.file("out"), dir.file("long.osm.pbf")});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_NE(r.err.find("longer than the reader's 1,000 km"), std::string::npos) << r.err;
  EXPECT_FALSE(file_exists(dir.file("out")));
}

TEST(ImportProgram, MissingBesideTheToolIsNamed) {
  TempDir dir;
  copy_executable(SCENARIO_TOOL_EXE, dir.file("scenario-tool"));
  const ProcessResult r =
      run_process(dir.file("scenario-tool"), {"import", "--from", "A", "--to", "B", "x.osm"});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_NE(r.err.find("scenario-tool import: cannot run " + dir.file("scenario-import")),
            std::string::npos)
      << r.err;
}

}  // namespace
}  // namespace scenario::testing

// scenario-tool plot: the SVG renders, its plan follows the curve table, and the command finds
// the compiled files or says why not.
#include "tool/plot_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "format/curve_image.h"
#include "format/general_image.h"
#include "format/track_image.h"
#include "inspect/plot_svg.h"
#include "support/builtin_compiled.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::builtin_compiled;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

struct Outcome {
  int status;
  std::string err;
};

Outcome plot(const std::vector<std::string>& args) {
  std::ostringstream err;
  const int status = tool::plot_command(args, err);
  return {status, err.str()};
}

// The value of attribute name in the first element that starts with element_start.
std::string attribute(const std::string& svg, const std::string& element_start,
                      const std::string& name) {
  const size_t at = svg.find(element_start);
  if (at == std::string::npos) return "";
  const size_t end = svg.find('>', at);
  const std::string key = " " + name + "=\"";
  const size_t k = svg.find(key, at);
  if (k == std::string::npos || k > end) return "";
  const size_t v = k + key.size();
  return svg.substr(v, svg.find('"', v) - v);
}

std::vector<double> numbers(const std::string& text) {
  std::vector<double> out;
  std::string t = text;
  for (char& c : t) {
    if (c == ',') c = ' ';
  }
  std::istringstream in(t);
  for (double v; in >> v;) out.push_back(v);
  return out;
}

uint32_t be32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
  return v;
}

bool have_rsvg() { return std::system("command -v rsvg-convert >/dev/null 2>&1") == 0; }

// A copy of the built-in compiled files under another identity, with a station name that
// needs escaping in XML.
void copy_with_awkward_names(const std::string& dir, const std::string& name,
                             const std::string& train) {
  const auto& b = builtin_compiled();
  auto general = decode_general(read_file(b.general_file));
  ASSERT_TRUE(general.ok());
  general.value()[1].text = "Ponte & <Alto> \"q\" \x01\x9d\xb0";
  StringSink sim;
  write_general_image(sim, general.value());
  write_file(dir + "/" + name + "_" + train + ".sim", sim.bytes);
  write_file(dir + "/" + name + "_" + train + ".dat", read_file(b.track_file));
  write_file(dir + "/" + name + "_linea.dat", read_file(b.curve_file));
}

TEST(PlotSvg, ARealRendererDrawsItAtItsOwnSize) {
  if (!have_rsvg()) GTEST_SKIP() << "rsvg-convert is not installed (Debian: librsvg2-bin)";
  TempDir out;
  TempDir awkward;
  copy_with_awkward_names(awkward.path(), "A&B <q>", "7'");
  struct Case {
    const char* what;
    std::string dir;
  };
  const Case cases[] = {{"built-in scenario", builtin_compiled().dir},
                        {"names to escape", awkward.path()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string svg_path = out.file("plot.svg");
    const std::string png_path = out.file("plot.png");
    const Outcome r = plot({"-o", svg_path, c.dir});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string svg = read_file(svg_path);
    const double width = std::stod(attribute(svg, "<svg ", "width"));
    const double height = std::stod(attribute(svg, "<svg ", "height"));
    EXPECT_EQ(width, 1200);
    EXPECT_GT(height, 1000);

    const std::string cmd = "rsvg-convert -o '" + png_path + "' '" + svg_path + "' 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string png = read_file(png_path);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(be32(png, 16), static_cast<uint32_t>(width));
    EXPECT_EQ(be32(png, 20), static_cast<uint32_t>(std::ceil(height)));
    // A picture with content, not a blank page.
    EXPECT_GT(png.size(), 50000u);
  }
  const std::string svg = read_file(out.file("plot.svg"));
  EXPECT_NE(svg.find("Ponte &amp; &lt;Alto&gt; &quot;q&quot; \xEF\xBF\xBD\xEF\xBF\xBD\xC2\xB0"),
            std::string::npos);
  EXPECT_NE(svg.find("A&amp;B &lt;q&gt;, train 7'"), std::string::npos);
}

TEST(PlotSvg, ThePlanPassesThroughTheCurveTableAtItsSampledMetres) {
  const auto& b = builtin_compiled();
  TempDir out;
  ASSERT_EQ(plot({"-o", out.file("p.svg"), b.dir}).status, 0);
  const std::string svg = read_file(out.file("p.svg"));
  const CurveTable& t = b.state->curves;
  const int64_t route = b.state->general[GeneralTable::kTrainAndRoute].long2;

  struct Path {
    const char* id;
    int64_t first, last;
  };
  for (const Path& p :
       {Path{"plan-route", 0, route}, Path{"plan-run-out", route, t.last_metre() - 2}}) {
    SCOPED_TRACE(p.id);
    const std::string element = std::string("<polyline id=\"") + p.id + "\"";
    const std::vector<double> metres = numbers(attribute(svg, element, "data-metres"));
    const std::vector<double> transform = numbers(attribute(svg, element, "data-transform"));
    const std::vector<double> points = numbers(attribute(svg, element, "points"));
    ASSERT_EQ(transform.size(), 6u);
    ASSERT_GT(metres.size(), 10u);
    ASSERT_EQ(points.size(), 2 * metres.size());
    EXPECT_EQ(metres.front(), p.first);
    EXPECT_EQ(metres.back(), p.last);
    const double a = transform[0], bb = transform[1], c = transform[2], d = transform[3],
                 e = transform[4], f = transform[5];
    // One scale on both axes and no mirror: a turn, with north kept to the left of east.
    EXPECT_NEAR(a, -d, 1e-12);
    EXPECT_NEAR(bb, c, 1e-12);
    EXPECT_GT(std::hypot(a, bb), 0);
    for (size_t i = 0; i < metres.size(); ++i) {
      if (i > 0) {
        ASSERT_GT(metres[i], metres[i - 1]);
        ASSERT_LE(metres[i] - metres[i - 1], 100);
      }
      const auto m = static_cast<int64_t>(metres[i]);
      ASSERT_EQ(static_cast<double>(m), metres[i]);
      const double X = t.value(m, 0), Y = t.value(m, 1);
      EXPECT_NEAR(points[2 * i], a * X + c * Y + e, 0.001) << "metre " << m;
      EXPECT_NEAR(points[2 * i + 1], bb * X + d * Y + f, 0.001) << "metre " << m;
    }
    // The whole plan lies inside its box, and the route runs from left to right.
    for (size_t i = 0; i < points.size(); i += 2) {
      EXPECT_GE(points[i], 80);
      EXPECT_LE(points[i], 1160);
      EXPECT_GE(points[i + 1], 86);
    }
    if (std::string(p.id) == "plan-route") {
      EXPECT_LT(points.front(), points[points.size() - 2]);
      double lo = 1e9, hi = -1e9;
      for (size_t i = 0; i < points.size(); i += 2)
        lo = std::min(lo, points[i]), hi = std::max(hi, points[i]);
      EXPECT_GT(hi - lo, 900) << "the plan leaves most of its width empty";
    }
  }
  // Every station is named on the plan, no name over another, and the legend is there.
  const GeneralTable& g = b.state->general;
  for (int s : station_slots(g)) {
    EXPECT_NE(svg.find(">" + g[s].text + "</text>"), std::string::npos) << g[s].text;
  }
  // The plan's names are level; the profiles' are slanted.
  size_t plan_names = 0;
  for (size_t at = svg.find("class=\"station\" text-anchor"); at != std::string::npos;
       at = svg.find("class=\"station\" text-anchor", at + 1)) {
    plan_names += svg.substr(at, svg.find('>', at) - at).find("rotate") == std::string::npos;
  }
  EXPECT_EQ(plan_names, station_slots(g).size());
  for (const char* label : {">Legend<", ">N<", ">main signal<", ">distant signal<",
                            ">kilometre post<", ">train's speed limit<"}) {
    EXPECT_NE(svg.find(label), std::string::npos) << label;
  }
}

// Every element of one class, as its attributes' text.
std::vector<std::string> elements_of_class(const std::string& svg, const std::string& cls) {
  std::vector<std::string> out;
  const std::string key = "class=\"" + cls + "\"";
  for (size_t at = svg.find(key); at != std::string::npos; at = svg.find(key, at + 1)) {
    const size_t open = svg.rfind('<', at);
    out.push_back(svg.substr(open, svg.find('>', at) - open));
  }
  return out;
}

// What an author reads off the picture of the built-in scenario: the line's own kilometre
// posts, the signal kinds, the speed boards, the timetable, and no internal field names.
TEST(PlotSvg, ShowsTheLinesKilometrageSignalKindsBoardsAndTimes) {
  const auto& b = builtin_compiled();
  TempDir out;
  ASSERT_EQ(plot({"-o", out.file("p.svg"), b.dir}).status, 0);
  const std::string svg = read_file(out.file("p.svg"));
  const double extent = 93000;  // the route length: no item stands beyond it
  const auto metre_of = [&](double x) { return (x - 80) / 1080 * extent; };

  // The progressives as the line source writes them: km 75.7 at route 0, falling; from 75,750 m
  // on a kilometrage that reads 88.5 at route 0, falling. Posts every 5 km of the line's own
  // kilometrage, in both strips (above and below the profiles); km 0 of the first one falls at
  // 75,700 m, just before the change.
  struct PostCase {
    double metre;
    const char* label;
  };
  std::vector<PostCase> expected;
  const char* first_piece[] = {"75", "70", "65", "60", "55", "50", "45", "40",
                               "35", "30", "25", "20", "15", "10", "5",  "0"};
  for (int j = 0; j < 16; ++j) expected.push_back({700.0 + 5000 * j, first_piece[j]});
  for (const PostCase& c : {PostCase{78500, "10"}, PostCase{83500, "5"}, PostCase{88500, "0"}}) {
    expected.push_back(c);
  }
  const std::vector<std::string> posts = elements_of_class(svg, "km-post");
  ASSERT_EQ(posts.size(), 2 * expected.size());
  for (size_t i = 0; i < posts.size(); ++i) {
    const PostCase& c = expected[i % expected.size()];
    SCOPED_TRACE(c.label);
    EXPECT_NEAR(metre_of(std::stod(attribute(posts[i], "<rect", "x")) + 2.5), c.metre, 1);
    const size_t label_at = svg.find(posts[i]);
    const size_t text = svg.find("<text", label_at);
    EXPECT_EQ(
        svg.substr(svg.find('>', text) + 1, svg.find("</text>", text) - svg.find('>', text) - 1),
        c.label);
  }
  EXPECT_NE(svg.find(">km -0.05 | 12.75<"), std::string::npos);

  // Signal kinds as the train source gives them: field 2 is 1 for distant, 2 for main.
  int distant = 0, main = 0;
  std::istringstream train(read_file(b.dir + "/Lindeva_Querno_40716-.txt"));
  for (std::string row; std::getline(train, row);) {
    if (row.rfind("segnale,", 0) != 0) continue;
    const std::vector<double> fields = numbers(row.substr(row.find(',') + 1));
    ASSERT_EQ(fields.size(), 11u) << row;
    (fields[1] == 1 ? distant : main) += 1;
  }
  EXPECT_GT(distant, 0);
  EXPECT_GT(main, distant);
  EXPECT_EQ(elements_of_class(svg, "distant-signal").size(), static_cast<size_t>(distant));
  EXPECT_EQ(elements_of_class(svg, "main-signal").size(), static_cast<size_t>(main));
  EXPECT_TRUE(elements_of_class(svg, "other-signal").empty());

  // The line's 20 speed boards, three of them announcing in each of their series of three.
  const std::vector<std::string> boards = elements_of_class(svg, "speed-board");
  EXPECT_EQ(boards.size(), 20u);
  for (const char* label : {">65/75/75<", ">100/110/120<", ">30<", ">135/145/150<"}) {
    EXPECT_NE(svg.find(label), std::string::npos) << label;
  }
  EXPECT_EQ(elements_of_class(svg, "board-speed").size(), 3u);

  // Stations with their scheduled times; the counts in words.
  for (const char* label : {">LINDEVA  6:55<", ">MONTECAVIO  7:19<", ">QUERNO  8:00<",
                            ">PONTE ALBERINO<", "18 stations, 34 signals (", "1 slowdown,"}) {
    EXPECT_NE(svg.find(label), std::string::npos) << label;
  }
  for (const char* internal : {"mark1", "value1", "1 slowdowns", "1 stations"}) {
    EXPECT_EQ(svg.find(internal), std::string::npos) << internal;
  }
  EXPECT_FALSE(elements_of_class(svg, "curve").empty());
}

// Crafted files that once kept the drawing busy for ever: a plan of huge coordinates, whose grid
// step could not move a line forward, and a track of many slowdown ends before many starts.
TEST(PlotSvg, EndsQuicklyOnCraftedFiles) {
  const auto& b = builtin_compiled();
  auto general = decode_general(read_file(b.general_file));
  ASSERT_TRUE(general.ok());
  auto track = decode_track(read_file(b.track_file));
  ASSERT_TRUE(track.ok());
  std::string huge;
  for (int i = 0; i < 200; ++i) {
    huge += std::string("\x05\x00", 2);
    StringSink cell;
    put_f64(cell, 1e16);
    huge += cell.bytes;
  }
  auto huge_plan = decode_curve(huge);
  ASSERT_TRUE(huge_plan.ok());
  std::vector<TrackBlock> ends_first(20'000);
  for (size_t i = 0; i < ends_first.size(); ++i) {
    ends_first[i].code = i < ends_first.size() / 2 ? kSlowdownEnd : kSlowdownStart;
  }
  auto builtin_curves = decode_curve(read_file(b.curve_file));
  ASSERT_TRUE(builtin_curves.ok());

  struct Case {
    const char* what;
    const std::vector<TrackBlock>& track;
    const CurveTable& curves;
  };
  const Case cases[] = {{"plan of 1e16 m", track.value(), huge_plan.value()},
                        {"10,000 ends before 10,000 starts", ends_first, builtin_curves.value()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto start = std::chrono::steady_clock::now();
    const std::string svg = render_plot_svg({"L", "1", general.value(), c.track, c.curves});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_LT(svg.size(), 20'000'000u);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  }
}

// Each slowdown start runs to the first end after it, found in one pass over the track.
TEST(PlotSvg, SlowdownsRunFromEachStartToTheFirstEndAfterIt) {
  const auto track_of = [](const std::string& codes) {
    std::vector<TrackBlock> t(codes.size());
    for (size_t i = 0; i < codes.size(); ++i) {
      t[i].code = codes[i] == 'S' ? kSlowdownStart : codes[i] == 'E' ? kSlowdownEnd : 0;
      t[i].value1 = static_cast<int16_t>(10 * i);
    }
    return t;
  };
  struct Case {
    const char* codes;
    std::vector<SlowdownStretch> expected;  // metres
  };
  const Case cases[] = {
      {"..S...E..", {{100, 300, 20}}},
      {"S.S.E", {{0, 200, 0}, {100, 200, 20}}},
      {"E.S..", {{100, 100, 20}}},
      {"S.E.S.E", {{0, 100, 0}, {200, 300, 40}}},
      {".....", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codes);
    const std::vector<SlowdownStretch> got = slowdown_stretches(track_of(c.codes));
    ASSERT_EQ(got.size(), c.expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].from, c.expected[i].from);
      EXPECT_EQ(got[i].to, c.expected[i].to);
      EXPECT_EQ(got[i].kmh, c.expected[i].kmh);
    }
  }
  // A million blocks, half of them ends before half a million starts: a search from each
  // start would compare 2.5e11 pairs.
  std::vector<TrackBlock> crafted(1'000'000);
  for (size_t i = 0; i < crafted.size(); ++i) {
    crafted[i].code = i < crafted.size() / 2 ? kSlowdownEnd : kSlowdownStart;
  }
  const auto start = std::chrono::steady_clock::now();
  const std::vector<SlowdownStretch> got = slowdown_stretches(crafted);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  ASSERT_EQ(got.size(), crafted.size() / 2);
  EXPECT_EQ(got.front().to, got.front().from);
}

TEST(PlotCommand, TakesTheIdentityFromTheCompiledFilesOrSaysWhyNot) {
  const auto& b = builtin_compiled();
  TempDir empty;
  TempDir two_trains;
  copy_with_awkward_names(two_trains.path(), "L", "1");
  copy_with_awkward_names(two_trains.path(), "L", "2");
  TempDir no_track;
  copy_with_awkward_names(no_track.path(), "L", "1");
  std::remove((no_track.path() + "/L_1.dat").c_str());
  TempDir damaged;
  copy_with_awkward_names(damaged.path(), "L", "1");
  write_file(damaged.path() + "/L_1.dat", read_file(b.track_file) + "x");
  TempDir sources;
  write_file(sources.path() + "/L_linea.txt", read_file(b.dir + "/Lindeva_Querno_linea.txt"));
  write_file(sources.path() + "/L_1-.txt", read_file(b.dir + "/Lindeva_Querno_40716-.txt"));
  TempDir out;
  const std::string svg = out.file("p.svg");

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{"-o", svg, b.dir}, 0, ""},
      {{"-o", svg, "--name", "Lindeva_Querno", "--train", "40716", b.dir}, 0, ""},
      {{b.dir}, 2, "-o FILE.svg is missing"},
      {{"-o", svg}, 2, "DIR is missing"},
      {{"-o", svg, b.dir, empty.path()}, 2, "more than one DIR"},
      {{"-o", svg, "--json", b.dir}, 2, "unknown option '--json'"},
      {{"-o", svg, out.file("nowhere")}, 2, "is not a directory"},
      {{"-o", svg, empty.path()}, 2, "holds 0 curve files"},
      {{"-o", svg, sources.path()},
       1,
       sources.path() +
           " holds sources but no compiled files; compile it first: scenario-tool "
           "compile " +
           sources.path()},
      {{"-o", svg, two_trains.path()}, 2, "holds 2 .sim/.dat pairs of L"},
      {{"-o", svg, "--train", "2", two_trains.path()}, 0, ""},
      {{"-o", svg, "--name", "../x", b.dir}, 2, "path separator"},
      {{"-o", svg, no_track.path()}, 2, "holds 0 .sim/.dat pairs of L"},
      {{"-o", svg, "--train", "1", no_track.path()},
       1,
       no_track.path() + "/L_1.dat: cannot open: No such file"},
      {{"-o", svg, damaged.path()},
       1,
       damaged.path() + "/L_1.dat: offset 30015: size 30016 is not a multiple of 15"},
      {{"-o", out.file("no/such/dir/p.svg"), b.dir}, 1, "no/such/dir"},
  };
  for (const Case& c : cases) {
    std::string args;
    for (const auto& a : c.args) args += " " + a;
    SCOPED_TRACE(args);
    std::remove(svg.c_str());
    const Outcome r = plot(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.status == 0) {
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(read_file(svg).substr(0, 5), "<?xml");
    } else {
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
      EXPECT_FALSE(testing::file_exists(svg));
    }
    if (c.status == 2) {
      EXPECT_NE(r.err.find("usage: scenario-tool plot"), std::string::npos);
    }
    if (c.status == 1) {
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
  }
}

TEST(PlotCommand, TheToolRunsItFromTheCommandLine) {
  TempDir out;
  const auto r = testing::run_process(SCENARIO_TOOL_EXE,
                                      {"plot", "-o", out.file("p.svg"), builtin_compiled().dir});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(read_file(out.file("p.svg")).find("id=\"plan-route\""), std::string::npos);
}

}  // namespace
}  // namespace scenario

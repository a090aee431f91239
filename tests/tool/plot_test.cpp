// scenario-tool plot: the SVG renders, its plan follows the curve table, and the command finds
// the compiled files or says why not.
#include "tool/plot_command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "format/curve_image.h"
#include "format/general_image.h"
#include "format/track_image.h"
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
    ASSERT_EQ(transform.size(), 3u);
    ASSERT_GT(metres.size(), 10u);
    ASSERT_EQ(points.size(), 2 * metres.size());
    EXPECT_EQ(metres.front(), p.first);
    EXPECT_EQ(metres.back(), p.last);
    const double s = transform[0], tx = transform[1], ty = transform[2];
    EXPECT_GT(s, 0);
    for (size_t i = 0; i < metres.size(); ++i) {
      if (i > 0) {
        ASSERT_GT(metres[i], metres[i - 1]);
        ASSERT_LE(metres[i] - metres[i - 1], 100);
      }
      const auto m = static_cast<int64_t>(metres[i]);
      ASSERT_EQ(static_cast<double>(m), metres[i]);
      // North up: y grows downwards on the page as Y grows northwards.
      EXPECT_NEAR(points[2 * i], tx + s * t.value(m, 0), 0.001) << "metre " << m;
      EXPECT_NEAR(points[2 * i + 1], ty - s * t.value(m, 1), 0.001) << "metre " << m;
    }
    // The whole plan lies inside the picture.
    for (size_t i = 0; i < points.size(); i += 2) {
      EXPECT_GE(points[i], 0);
      EXPECT_LE(points[i], 1200);
      EXPECT_GE(points[i + 1], 0);
    }
  }
  // Every station is named, and the legend and axes are there.
  const GeneralTable& g = b.state->general;
  for (int s : station_slots(g)) {
    EXPECT_NE(svg.find(">" + g[s].text + "</text>"), std::string::npos) << g[s].text;
  }
  for (const char* label : {">Legend<", ">X east (km)<", ">Y north (km)<", ">route position (km)<",
                            ">Speed limit (km/h, mark13 x 5)<"}) {
    EXPECT_NE(svg.find(label), std::string::npos) << label;
  }
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

// The pictures' texts, read back from the SVG as a viewer draws them: every label inside the
// page and clear of every other, on the built-in scenario and on a generated 1,000 km route, and
// every board labelled or given a tooltip.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "support/builtin_compiled.h"
#include "support/run_process.h"
#include "support/scenario_generator.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

using Point = std::pair<double, double>;

struct Label {
  std::string text;
  std::array<Point, 4> corners;
};

// The value of an attribute in an element's text, or "".
std::string attribute(const std::string& element, const std::string& name) {
  const std::regex re("\\s" + name + "=\"([^\"]*)\"");
  std::smatch m;
  return std::regex_search(element, m, re) ? m[1].str() : "";
}

// Characters as a viewer counts them: entities and UTF-8 sequences are one each.
size_t characters(const std::string& xml_text) {
  size_t n = 0;
  for (size_t i = 0; i < xml_text.size(); ++i) {
    const auto c = static_cast<unsigned char>(xml_text[i]);
    if (c == '&') i = xml_text.find(';', i);
    if ((c & 0xC0) != 0x80) ++n;
  }
  return n;
}

// The font size and weight a class gives (the drawings' style sheets), or the element's own.
std::pair<double, bool> font_of(const std::string& element) {
  const std::string cls = attribute(element, "class");
  double size = 11;
  bool bold = attribute(element, "font-weight") == "bold";
  if (cls.find("title2") != std::string::npos) {
    size = 13, bold = true;
  } else if (cls.find("title") != std::string::npos) {
    size = 18, bold = true;
  } else if (cls.find("axis") != std::string::npos) {
    size = 12;
  } else if (cls.find("small") != std::string::npos) {
    size = 10;
  } else if (cls.find("board-text") != std::string::npos) {
    size = 9;
  } else if (cls.find("late") != std::string::npos) {
    bold = true;
  }
  if (const std::string fs = attribute(element, "font-size"); !fs.empty()) size = std::stod(fs);
  return {size, bold};
}

// Every <text> of a drawing with its box: 0.72 em a character (0.8 in bold), which DejaVu Sans
// stays under, from 0.85 em above the baseline to 0.3 below, turned as its transform says.
std::vector<Label> labels_of(const std::string& svg) {
  std::vector<Label> out;
  const std::regex text_re("<text([^>]*)>([^<]*)</text>");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), text_re);
       it != std::sregex_iterator(); ++it) {
    const std::string element = (*it)[1].str();
    const std::string content = (*it)[2].str();
    const auto [size, bold] = font_of(element);
    const double w = static_cast<double>(characters(content)) * size * (bold ? 0.8 : 0.72);
    const double x = std::stod(attribute(element, "x")), y = std::stod(attribute(element, "y"));
    const std::string anchor = attribute(element, "text-anchor");
    const double a0 = anchor == "middle" ? -w / 2 : anchor == "end" ? -w : 0;
    double degrees = 0, cx = 0, cy = 0;
    const std::string transform = attribute(element, "transform");
    if (!transform.empty()) {
      std::smatch m;
      const std::regex rot("rotate\\(([-0-9.e]+) ([-0-9.e]+) ([-0-9.e]+)\\)");
      EXPECT_TRUE(std::regex_search(transform, m, rot)) << transform;
      degrees = std::stod(m[1].str()), cx = std::stod(m[2].str()), cy = std::stod(m[3].str());
    }
    const double r = degrees * M_PI / 180, c = std::cos(r), s = std::sin(r);
    Label l{content, {}};
    const double us[4] = {a0, a0 + w, a0 + w, a0};
    const double vs[4] = {-0.85 * size, -0.85 * size, 0.3 * size, 0.3 * size};
    for (int i = 0; i < 4; ++i) {
      const double px = x + us[i] - cx, py = y + vs[i] - cy;
      l.corners[static_cast<size_t>(i)] = {cx + px * c - py * s, cy + px * s + py * c};
    }
    out.push_back(l);
  }
  return out;
}

// Two convex quadrilaterals overlap unless an edge's normal separates them.
bool overlap(const Label& a, const Label& b) {
  for (const Label* poly : {&a, &b}) {
    for (size_t i = 0; i < 4; ++i) {
      const Point p = poly->corners[i], q = poly->corners[(i + 1) % 4];
      const double nx = q.second - p.second, ny = p.first - q.first;
      double amin = INFINITY, amax = -INFINITY, bmin = INFINITY, bmax = -INFINITY;
      for (const Point& v : a.corners) {
        amin = std::min(amin, v.first * nx + v.second * ny);
        amax = std::max(amax, v.first * nx + v.second * ny);
      }
      for (const Point& v : b.corners) {
        bmin = std::min(bmin, v.first * nx + v.second * ny);
        bmax = std::max(bmax, v.first * nx + v.second * ny);
      }
      if (amax <= bmin || bmax <= amin) return false;
    }
  }
  return true;
}

// Failures of one drawing: labels past the page's edges, and pairs that overlap.
void expect_labels_fit(const std::string& svg, const std::string& what) {
  SCOPED_TRACE(what);
  const std::string head = svg.substr(svg.find("<svg "), svg.find('>', svg.find("<svg ")));
  const double width = std::stod(attribute(head, "width"));
  const double height = std::stod(attribute(head, "height"));
  const std::vector<Label> labels = labels_of(svg);
  ASSERT_GT(labels.size(), 50u);
  for (const Label& l : labels) {
    for (const Point& p : l.corners) {
      EXPECT_TRUE(p.first >= 0 && p.first <= width && p.second >= 0 && p.second <= height)
          << "'" << l.text << "' passes the page's edge at " << p.first << "," << p.second;
    }
  }
  int overlaps = 0;
  for (size_t i = 0; i < labels.size(); ++i) {
    for (size_t j = i + 1; j < labels.size(); ++j) {
      if (overlap(labels[i], labels[j]) && ++overlaps <= 20) {
        ADD_FAILURE() << "'" << labels[i].text << "' overlaps '" << labels[j].text << "'";
      }
    }
  }
  EXPECT_EQ(overlaps, 0);
}

// Every element of a class, whole: with a <title> child when it has one.
std::vector<std::string> elements(const std::string& svg, const std::string& cls) {
  std::vector<std::string> out;
  const std::string key = "class=\"" + cls + "\"";
  for (size_t at = svg.find(key); at != std::string::npos; at = svg.find(key, at + 1)) {
    const size_t open = svg.rfind('<', at);
    size_t end = svg.find('>', at);
    if (svg[end - 1] != '/') end = svg.find('>', svg.find("</", end));
    out.push_back(svg.substr(open, end + 1 - open));
  }
  return out;
}

struct Drawings {
  std::string plot, timing;
};

Drawings draw(const std::string& dir) {
  TempDir out;
  const ProcessResult p = run_process(SCENARIO_TOOL_EXE, {"plot", "-o", out.file("p.svg"), dir});
  EXPECT_EQ(p.exit_status, 0) << p.err;
  const ProcessResult t =
      run_process(SCENARIO_TOOL_EXE, {"timing", "--run", "eco", "--svg", out.file("t.svg"), dir});
  EXPECT_NE(t.exit_status, 1) << t.err;
  return {read_file(out.file("p.svg")), read_file(out.file("t.svg"))};
}

// A generated scenario, compiled by the tool into dir.
void compile_generated(const TempDir& dir, int32_t km, const GeneratorOptions& options = {}) {
  const GeneratedSources g = generate_scenario(km, options);
  write_file(dir.file("Gen_linea.txt"), g.line);
  write_file(dir.file("Gen_1-.txt"), g.train);
  const ProcessResult c = run_process(SCENARIO_TOOL_EXE, {"compile", dir.path()});
  ASSERT_EQ(c.exit_status, 0) << c.err;
}

TEST(SvgLabels, FitThePageAndClearEachOtherOnTheBuiltInAndA1000KmRoute) {
  TempDir long_route, short_route, varied;
  compile_generated(long_route, 1000);
  compile_generated(short_route, 20);
  // Quoted names, every station and board kind, slowdowns with and without their runs.
  compile_generated(varied, 200, {.seed = 3, .every_row_kind = true, .narrowed_values = false});

  struct Case {
    const char* what;
    std::string dir;
    const char* destination;
  };
  const Case cases[] = {{"built-in", builtin_compiled().dir, "QUERNO"},
                        {"1,000 km", long_route.path(), "STAZIONE 25"},
                        {"20 km", short_route.path(), "STAZIONE 04"},
                        {"200 km of every row kind", varied.path(), ""}};
  for (const Case& k : cases) {
    const Drawings d = draw(k.dir);
    expect_labels_fit(d.plot, std::string("plot of the ") + k.what);
    expect_labels_fit(d.timing, std::string("timing of the ") + k.what);
    // The destination is named in both, whole.
    if (*k.destination != 0) {
      EXPECT_NE(d.plot.find(std::string(">") + k.destination), std::string::npos);
      EXPECT_NE(d.timing.find(std::string(">") + k.destination + "<"), std::string::npos);
    }

    // Every board carries its text (or speeds) as a tooltip; most also as a label.
    for (const char* cls : {"speed-board", "line-board"}) {
      SCOPED_TRACE(cls);
      const std::vector<std::string> boards = elements(d.plot, cls);
      EXPECT_FALSE(boards.empty());
      for (const std::string& b : boards) {
        EXPECT_NE(b.find("<title>"), std::string::npos) << b;
      }
    }
  }
}

TEST(SvgLabels, EveryBoardOfTheBuiltInIsLabelledAndSlowdownsAreInTheSpeedPanel) {
  const Drawings d = draw(builtin_compiled().dir);
  const size_t speed_boards = elements(d.plot, "speed-board").size();
  const size_t line_boards = elements(d.plot, "line-board").size();
  EXPECT_EQ(speed_boards, 20u);
  EXPECT_EQ(line_boards, 55u);
  EXPECT_EQ(elements(d.plot, "small board-label").size(), speed_boards);
  EXPECT_EQ(elements(d.plot, "board-text").size(), line_boards);
  EXPECT_NE(d.plot.find(">PASSAGGIO A LIVELLO Km 72+340<"), std::string::npos);
  EXPECT_EQ(elements(d.plot, "slowdown").size(), 1u);
  EXPECT_NE(d.plot.find(">slowdown 100<"), std::string::npos);
}

}  // namespace
}  // namespace scenario::testing

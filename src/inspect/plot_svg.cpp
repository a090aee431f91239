#include "inspect/plot_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "format/curve_image.h"
#include "format/general_image.h"
#include "format/track_image.h"
#include "inspect/clock_text.h"
#include "inspect/display_text.h"
#include "inspect/plan_summary.h"
#include "inspect/run_input.h"
#include "inspect/svg_canvas.h"
#include "timing/kilometrage.h"

namespace scenario {
namespace {

// The page, its panels and colours.
using namespace svg;

constexpr double kPlanTop = 86;
constexpr double kPlanMargin = 28;  // inside the plan box, around the drawing
// No axis gets more grid lines or labels than this, whatever the numbers in the files.
constexpr int kMaxTicks = 60;

// Colours, one per kind of thing, used in the drawing and in the legend alike.
constexpr const char* kRouteColour = "#1f4e9c";
constexpr const char* kRunOutColour = "#8a9bb8";
constexpr const char* kMainSignalColour = "#1e8449";
constexpr const char* kDistantSignalColour = "#d4a017";
constexpr const char* kOtherSignalColour = "#7f8c8d";
constexpr const char* kWarningColour = "#e67e22";
constexpr const char* kSlowdownColour = "#d81b60";
constexpr const char* kBoardColour = "#6c3483";
constexpr const char* kSpeedColour = "#1f4e9c";
constexpr const char* kLineSpeedColour[3] = {"#a569bd", "#6c3483", "#c39bd3"};
constexpr const char* kRiseColour = "#c8a165";
constexpr const char* kFallColour = "#7fb3d5";
constexpr const char* kElevationColour = "#7d5a2b";
constexpr const char* kLeftCurveColour = "#2e86c1";
constexpr const char* kRightCurveColour = "#cb4335";
constexpr const char* kKilometreColour = "#7b241c";

// The plan, turned so that the route's main direction runs left to right, at one scale on
// both axes: screen x = a·X + c·Y + e, y = b·X + d·Y + f (the SVG matrix form).
struct PlanView {
  double a = 1, b = 0, c = 0, d = -1, e = 0, f = 0;
  double top = kPlanTop, height = 300;
  double spread = 0;  // metres: the larger extent of the drawn points, along or across
  double x(double X, double Y) const { return a * X + c * Y + e; }
  double y(double X, double Y) const { return b * X + d * Y + f; }
};

// The metres the plan is drawn through: every kPlanSampleMetres from from, and to itself.
std::vector<int64_t> plan_samples(const CurveTable& t, int64_t from, int64_t to) {
  std::vector<int64_t> out;
  for (int64_t m = from; m < to; m += kPlanSampleMetres) {
    if (has_point(t, m)) out.push_back(m);
  }
  if (to >= from && has_point(t, to)) out.push_back(to);
  return out;
}

// The main direction is the principal axis of the route's points, pointed from the start to
// the end: a line that runs mostly north fills the width instead of a tall, narrow strip.
PlanView fit_plan(const CurveTable& t, const std::vector<int64_t>& route,
                  const std::vector<int64_t>& all) {
  PlanView v;
  if (all.empty()) return v;
  double mx = 0, my = 0;
  for (int64_t m : route) mx += t.value(m, 0), my += t.value(m, 1);
  const double n = std::max<double>(static_cast<double>(route.size()), 1);
  mx /= n, my /= n;
  double sxx = 0, syy = 0, sxy = 0;
  for (int64_t m : route) {
    const double dx = t.value(m, 0) - mx, dy = t.value(m, 1) - my;
    sxx += dx * dx, syy += dy * dy, sxy += dx * dy;
  }
  double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
  if (!std::isfinite(angle)) angle = 0;
  double ux = std::cos(angle), uy = std::sin(angle);
  if (route.size() >= 2) {
    const double ex = t.value(route.back(), 0) - t.value(route.front(), 0);
    const double ey = t.value(route.back(), 1) - t.value(route.front(), 1);
    if (ex * ux + ey * uy < 0) ux = -ux, uy = -uy;
  }
  // Along U = ux·X + uy·Y, across V = −uy·X + ux·Y (to the left of the direction of travel).
  double umin = INFINITY, umax = -INFINITY, vmin = INFINITY, vmax = -INFINITY;
  for (int64_t m : all) {
    const double X = t.value(m, 0), Y = t.value(m, 1);
    const double U = ux * X + uy * Y, V = -uy * X + ux * Y;
    umin = std::min(umin, U), umax = std::max(umax, U);
    vmin = std::min(vmin, V), vmax = std::max(vmax, V);
  }
  v.spread = std::max(umax - umin, vmax - vmin);
  const double span_u = std::max(umax - umin, 1.0), span_v = std::max(vmax - vmin, 1.0);
  const double inner_w = kPlotWidth - 2 * kPlanMargin;
  v.height = std::clamp(inner_w * span_v / span_u + 2 * kPlanMargin, 220.0, 620.0);
  const double inner_h = v.height - 2 * kPlanMargin;
  double s = std::min(inner_w / span_u, inner_h / span_v);
  if (!std::isfinite(s) || !(s > 0)) s = 1;
  const double cu = (umin + umax) / 2, cv = (vmin + vmax) / 2;
  // x = kLeft + kPlotWidth/2 + s·(U − cu), y = top + height/2 − s·(V − cv).
  v.a = s * ux, v.c = s * uy, v.e = kLeft + kPlotWidth / 2 - s * cu;
  v.b = s * uy, v.d = -s * ux, v.f = v.top + v.height / 2 + s * cv;
  return v;
}

struct Event {
  double metre;
  const TrackBlock* block;
};

// A signal's kind, told by its block: value4's last digit is 3 × kind + field 7 (0 to 2).
enum class SignalKind { kDistant, kMain, kOther };
SignalKind signal_kind(const TrackBlock& b) {
  switch (signal_kind_of_value4(b.value4)) {
    case 1:
      return SignalKind::kDistant;
    case 2:
      return SignalKind::kMain;
    default:
      return SignalKind::kOther;
  }
}

// A speed indicator board's first group of speeds: each value is speed × 20 + the second
// group's speed / 5, and the speeds are steps of 5 km/h below 500.
struct SpeedBoard {
  double metre;
  int kmh[3];
  bool announces;  // its code is not 0: one of a series ahead of the limit
};
SpeedBoard speed_board(const Event& e) {
  SpeedBoard s{e.metre, {}, e.block->value4 / 10 != 0};
  const int16_t values[3] = {e.block->value1, e.block->value2, e.block->value3};
  for (int i = 0; i < 3; ++i) s.kmh[i] = board_speed_of_value(values[i]);
  return s;
}

struct Post {
  double metre;
  double km;  // metres of the line's kilometrage
};

struct Change {
  double metre;
  double before, after;  // the line's kilometre just before and at the change, in metres
};

// Everything the drawing needs, gathered once.
struct RouteData {
  double extent = 0;  // metres shown along the route
  std::vector<int> stations;
  std::vector<Event> signals, warnings, boards;
  std::vector<SlowdownStretch> slowdowns;
  std::vector<SpeedBoard> speed_boards;
  std::vector<timing::Progressive> progressives;
  std::vector<Post> posts;
  std::vector<Change> changes;
  int main_signals = 0, distant_signals = 0;
};

// The kilometre posts: the multiples of a round step of the line's own kilometrage, wherever
// a progressive puts them, and the places where one progressive gives way to another.
void place_posts(RouteData& r) {
  const double step = tick_step(r.extent / 1000, 20) * 1000;
  std::vector<double> cuts{0};
  for (const timing::Progressive& p : r.progressives) {
    if (p.start > 0 && p.start < r.extent) cuts.push_back(static_cast<double>(p.start));
  }
  cuts.push_back(r.extent);
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  for (size_t i = 0; i + 1 < cuts.size(); ++i) {
    const double a = cuts[i], b = cuts[i + 1];
    const double ka = timing::line_kilometre(r.progressives, a);
    // Within a piece the kilometrage runs at one metre per metre, up or down.
    const double slope = timing::line_kilometre(r.progressives, b - 0.5) < ka ? -1 : 1;
    const double kb = ka + slope * (b - a);
    const bool last = i + 2 == cuts.size();
    for (double k : ticks(std::min(ka, kb), std::max(ka, kb), step, kMaxTicks)) {
      const double m = a + std::abs(k - ka);
      if (m < b || (last && m <= b)) r.posts.push_back({m, k});
    }
    if (i > 0) {
      // Extrapolated from the piece before, to its end at a.
      const double before = 2 * timing::line_kilometre(r.progressives, a - 1) -
                            timing::line_kilometre(r.progressives, a - 2);
      if (std::abs(before - ka) > 1) r.changes.push_back({a, before, ka});
    }
  }
  std::sort(r.posts.begin(), r.posts.end(),
            [](const Post& x, const Post& y) { return x.metre < y.metre; });
}

RouteData gather(const PlotInput& in) {
  RouteData r;
  r.stations = station_slots(in.general);
  double last_item = 0;
  r.slowdowns = slowdown_stretches(in.track);
  for (size_t i = 0; i < in.track.size(); ++i) {
    const TrackBlock& b = in.track[i];
    const Event e{static_cast<double>(static_cast<int64_t>(i) * kBlockMetres), &b};
    switch (b.code) {
      case kSignal:
        r.signals.push_back(e);
        if (signal_kind(b) == SignalKind::kMain) ++r.main_signals;
        if (signal_kind(b) == SignalKind::kDistant) ++r.distant_signals;
        break;
      case kSlowdownWarning:
        r.warnings.push_back(e);
        break;
      case kSlowdownStart:
      case kSlowdownEnd:
        break;
      case kIndicationBoard:
        r.boards.push_back(e);
        break;
      case kSpeedBoard:
        r.speed_boards.push_back(speed_board(e));
        break;
      default:
        continue;
    }
    last_item = std::max(last_item, e.metre);
  }
  for (int s : r.stations) last_item = std::max(last_item, double(in.general[s].long3));
  r.extent = std::max<double>(in.general[GeneralTable::kTrainAndRoute].long2, last_item);
  if (r.extent <= 0) r.extent = static_cast<double>(in.track.size()) * kBlockMetres;
  if (r.extent <= 0) r.extent = 1000;
  r.progressives = line_progressives(in.general);
  place_posts(r);
  return r;
}

// A scheduled time as the timetable writes it: h:mm, with the seconds only when there are any.
std::string scheduled_text(int32_t seconds) {
  std::string t = clock_text(seconds);
  if (t.size() > 3 && t.compare(t.size() - 3, 3, ":00") == 0) t.resize(t.size() - 3);
  return t;
}

std::string station_label(const GeneralEntry& e) {
  const std::string name = display_text(e.text);
  return e.long4 != 0 ? name + "  " + scheduled_text(e.long4) : name;
}

// Stations in the order their names are placed: the ends of the run, then the timed stops,
// then the rest, each group in route order.
std::vector<int> by_priority(const GeneralTable& g, const std::vector<int>& stations) {
  std::vector<int> out;
  const auto rank = [&](size_t i) {
    if (i == 0 || i + 1 == stations.size()) return 0;
    return g[stations[i]].long4 != 0 ? 1 : 2;
  };
  for (int r = 0; r < 3; ++r) {
    for (size_t i = 0; i < stations.size(); ++i) {
      if (rank(i) == r) out.push_back(stations[i]);
    }
  }
  return out;
}

void draw_plan(Svg& svg, const PlotInput& in, const RouteData& route, const PlanView& v,
               const std::vector<int64_t>& route_metres, const std::vector<int64_t>& run_out) {
  svg.rect(kLeft, v.top, kPlotWidth, v.height, "fill=\"#fbfcfd\" stroke=" + colour(kAxisColour));
  svg.text(kLeft, v.top - 8, "Plan of the line, turned to run left to right", "class=\"title2\"");
  const CurveTable& t = in.curves;
  if (route_metres.size() + run_out.size() < 2) {
    svg.text(kLeft + kPlotWidth / 2, v.top + v.height / 2, "the curve table holds no point",
             "text-anchor=\"middle\"");
    return;
  }
  if (!(v.spread >= 1)) {
    svg.text(kLeft + kPlotWidth / 2, v.top + v.height / 2,
             "the curve table's points all lie within one metre: no plan to draw",
             "text-anchor=\"middle\"");
    return;
  }
  // Whatever the table holds, nothing of the plan strays out of its box.
  svg.raw("<clipPath id=\"plan-box\"><rect x=\"" + num(kLeft) + "\" y=\"" + num(v.top) +
          "\" width=\"" + num(kPlotWidth) + "\" height=\"" + num(v.height) +
          "\"/></clipPath>\n<g clip-path=\"url(#plan-box)\">\n");
  // North arrow, turned with the plan.
  {
    const double nx = kRight - 28, ny = v.top + 30;
    const double dx = v.c, dy = v.d;  // the screen direction of +Y
    const double len = std::hypot(dx, dy);
    const double deg = len > 0 ? std::atan2(dx / len, -dy / len) * 180 / 3.14159265358979 : 0;
    svg.raw("<g transform=\"rotate(" + num(deg) + " " + num(nx) + " " + num(ny) +
            ")\"><path d=\"M" + num(nx) + "," + num(ny - 14) + " l-7,20 l7,-5 l7,5 z\" " +
            "fill=\"#333\"/></g>\n");
    svg.text(nx, ny + 26, "N", "text-anchor=\"middle\" font-weight=\"bold\"");
  }
  // A scale bar of a round length, about a sixth of the width.
  {
    const double s = std::hypot(v.a, v.b);
    const double metres = tick_step(kPlotWidth / 6 / s, 1);
    const double w = metres * s;
    const double x0 = kLeft + 16, y0 = v.top + v.height - 14;
    if (std::isfinite(w) && w > 0 && w < kPlotWidth) {
      svg.line(x0, y0, x0 + w, y0, "stroke=\"#333\" stroke-width=\"2\"");
      svg.line(x0, y0 - 4, x0, y0 + 4, "stroke=\"#333\"");
      svg.line(x0 + w, y0 - 4, x0 + w, y0 + 4, "stroke=\"#333\"");
      svg.text(x0 + w / 2, y0 - 6,
               metres >= 1000 ? num(metres / 1000, 1) + " km" : num(metres, 3) + " m",
               "text-anchor=\"middle\" class=\"small\"");
    }
  }

  const std::string transform = exact(v.a) + " " + exact(v.b) + " " + exact(v.c) + " " +
                                exact(v.d) + " " + exact(v.e) + " " + exact(v.f);
  const auto path = [&](const std::vector<int64_t>& metres, const char* id,
                        const std::string& style) {
    if (metres.size() < 2) return;
    std::string list;
    for (int64_t m : metres) list += (list.empty() ? "" : " ") + std::to_string(m);
    // Three decimals: well under a pixel, and what a check against the table reads back.
    std::string s = "<polyline id=\"" + std::string(id) + "\" data-metres=\"" + list +
                    "\" data-transform=\"" + transform + "\" " + style + " points=\"";
    for (size_t i = 0; i < metres.size(); ++i) {
      const double X = t.value(metres[i], 0), Y = t.value(metres[i], 1);
      char buf[80];
      std::snprintf(buf, sizeof buf, "%s%.3f,%.3f", i ? " " : "", v.x(X, Y), v.y(X, Y));
      s += buf;
    }
    svg.raw(s + "\"/>\n");
  };
  path(route_metres, "plan-route",
       "fill=\"none\" stroke=" + colour(kRouteColour) +
           " stroke-width=\"2.5\" stroke-linejoin=\"round\"");
  path(run_out, "plan-run-out",
       "fill=\"none\" stroke=" + colour(kRunOutColour) +
           " stroke-width=\"2\" stroke-dasharray=\"6 4\"");
  if (has_point(t, 0)) {
    svg.circle(v.x(t.value(0, 0), t.value(0, 1)), v.y(t.value(0, 0), t.value(0, 1)), 5,
               "fill=\"white\" stroke=" + colour(kRouteColour) + " stroke-width=\"2\"");
  }

  // Stations: a dot at the station's metre, the name beside the track and off it: every
  // candidate place is tried against the route's line, the dots, the north arrow, the scale
  // bar and the names placed before; a name with no room is left to the dot's tooltip.
  const int64_t last = t.last_metre();
  LabelSpace space(kLeft + 2, v.top + 2, kRight - 2, v.top + v.height - 2);
  space.block(text_box(kRight - 28, v.top + 30, 40, 50, Anchor::kMiddle));  // north arrow
  space.block(text_box(kLeft + 16, v.top + v.height - 8, kPlotWidth / 6 + 20, 24, Anchor::kStart));
  for (const std::vector<int64_t>* line : {&route_metres, &run_out}) {
    for (size_t i = 1; i < line->size(); ++i) {
      const int64_t m0 = (*line)[i - 1], m1 = (*line)[i];
      space.block_segment(v.x(t.value(m0, 0), t.value(m0, 1)), v.y(t.value(m0, 0), t.value(m0, 1)),
                          v.x(t.value(m1, 0), t.value(m1, 1)), v.y(t.value(m1, 0), t.value(m1, 1)));
    }
  }
  const auto at = [&](int64_t k) {
    return std::pair{v.x(t.value(k, 0), t.value(k, 1)), v.y(t.value(k, 0), t.value(k, 1))};
  };
  const auto on_plan = [&](int slot) {
    const int64_t m = in.general[slot].long3;
    return m >= 0 && m <= last && has_point(t, m);
  };
  for (int slot : route.stations) {
    if (!on_plan(slot)) continue;
    const auto [px, py] = at(in.general[slot].long3);
    space.block(text_box(px, py + 5, 10, 12.5, Anchor::kMiddle));
  }
  int index = 0;
  for (int slot : by_priority(in.general, route.stations)) {
    ++index;
    if (!on_plan(slot)) continue;
    const int64_t m = in.general[slot].long3;
    // Plain copies: a lambda below uses them, and older compilers cannot capture bindings.
    const auto point = at(m);
    const double px = point.first, py = point.second;
    const std::string name = display_text(in.general[slot].text);
    const int64_t a = std::max<int64_t>(0, m - 100), b = std::min<int64_t>(last, m + 100);
    double dx = 0, dy = -1;
    if (has_point(t, a) && has_point(t, b) && b > a) {
      dx = at(b).first - at(a).first;
      dy = at(b).second - at(a).second;
    }
    const double len = std::hypot(dx, dy);
    double ox = len > 0 ? -dy / len : 0, oy = len > 0 ? dx / len : -1;
    if (index % 2 == 0) ox = -ox, oy = -oy;
    const double w = text_width(name, 11);
    // Across the track first, on its side and then the other; then slanting, then along it;
    // each nearer before further.
    const auto place = [&] {
      for (const double distance : {9.0, 15.0, 24.0, 36.0, 50.0, 66.0}) {
        for (const double turn :
             {0.0, 180.0, 40.0, -40.0, 140.0, -140.0, 65.0, -65.0, 115.0, -115.0, 90.0, -90.0}) {
          const double r = turn * 3.14159265358979323846 / 180;
          const double sx = ox * std::cos(r) - oy * std::sin(r);
          const double sy = ox * std::sin(r) + oy * std::cos(r);
          const Anchor anchor = std::abs(sx) < 0.3 ? Anchor::kMiddle
                                : sx > 0           ? Anchor::kStart
                                                   : Anchor::kEnd;
          const double lx = px + sx * distance;
          // The text's middle height at the offset point: its baseline 4 px below that, or
          // wholly above or below the dot when it stands over or under it.
          const double ly = anchor != Anchor::kMiddle ? py + sy * distance + 4
                            : sy < 0                  ? py + sy * distance
                                                      : py + sy * distance + 8;
          // A name set further out is tied to its dot by a fine stroke, which crosses no name.
          const double ax = px + sx * 5, ay = py + sy * 5;
          const double bx = px + sx * (distance - 2), by = py + sy * (distance - 2);
          const bool leader = distance > 10;
          if (leader && !space.segment_clear(ax, ay, bx, by)) continue;
          if (!space.take(text_box(lx, ly, w, 11, anchor))) continue;
          if (leader) {
            space.block_segment(ax, ay, bx, by);
            svg.line(ax, ay, bx, by, "stroke=" + colour(kStationColour) + " stroke-width=\"0.7\"");
          }
          svg.label(lx, ly, name, anchor, 0, "class=\"station\"");
          return;
        }
      }
    };
    place();
  }
  for (int slot : route.stations) {
    if (!on_plan(slot)) continue;
    const auto [px, py] = at(in.general[slot].long3);
    svg.circle(px, py, 4.5,
               "fill=" + colour(kStationColour) + " stroke=\"white\" stroke-width=\"1\"",
               station_label(in.general[slot]));
  }
  svg.raw("</g>\n");
}

void panel_frame(Svg& svg, const Panel& p, const std::string& title) {
  svg.rect(kLeft, p.top, kPlotWidth, p.height, "fill=\"white\" stroke=" + colour(kAxisColour));
  svg.text(kLeft, p.top - 7, title, "class=\"title2\"");
}

void value_axis(Svg& svg, const Panel& p, double lo, double hi, double step,
                const std::string& label) {
  for (double v : ticks(lo, hi, step, kMaxTicks)) {
    const double y = p.bottom() - (v - lo) / (hi - lo) * p.height;
    svg.line(kLeft, y, kRight, y, "stroke=" + colour(kGridColour));
    svg.text(kLeft - 6, y + 4, num(v, 1), "text-anchor=\"end\"");
  }
  const double mid = p.top + p.height / 2;
  svg.text(kLeft - 50, mid, label,
           "text-anchor=\"middle\" class=\"axis\" transform=\"rotate(-90 " + num(kLeft - 50) + " " +
               num(mid) + ")\"");
}

// A board's text as one line: its parenthesised lines joined by blanks, runs of blanks as one.
std::string board_text(const GeneralTable& g, const TrackBlock& b) {
  if (b.value1 < 1 || b.value1 >= static_cast<int>(GeneralTable::kSlots)) return "";
  std::string out;
  for (const char c : display_text(g[static_cast<size_t>(b.value1)].text)) {
    const char d = c == '(' || c == ')' ? ' ' : c;
    if (d == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += d;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// What the slanted station names and the hanging board texts need: the height above the
// stations' lane, the depth below the boards' lane, and the page's width, wider than the
// panels where the last names slant past them.
struct LabelRoom {
  double names_rise = 40, boards_drop = 14, page_width = kPageWidth;
};
constexpr double kLongestLabel = 320;  // px: a longer name or text is left to its tooltip

LabelRoom label_room(const PlotInput& in, const RouteData& r) {
  LabelRoom room;
  const double sin40 = std::sin(40 * 3.14159265358979323846 / 180),
               cos40 = std::cos(40 * 3.14159265358979323846 / 180);
  for (int slot : r.stations) {
    const double w = std::min(text_width(station_label(in.general[slot]), 11), kLongestLabel);
    room.names_rise = std::max(room.names_rise, w * sin40 + 9.4 * cos40 + 6);
    const double x = kLeft + in.general[slot].long3 / r.extent * kPlotWidth + 2;
    if (std::isfinite(x)) {
      room.page_width =
          std::clamp(x + w * cos40 + 9.4 * sin40 + 6, room.page_width, kPageWidth + kLongestLabel);
    }
  }
  for (const Event& e : r.boards) {
    const double w = std::min(text_width(board_text(in.general, *e.block), 9), kLongestLabel);
    room.boards_drop = std::max(room.boards_drop, w + 16);
  }
  room.page_width = std::ceil(room.page_width);
  return room;
}

void draw_profiles(Svg& svg, const PlotInput& in, const RouteData& r, const PlanSummary& plan,
                   double top, double& end, LabelRoom& room) {
  const auto X = [&](double metre) { return kLeft + metre / r.extent * kPlotWidth; };
  room = label_room(in, r);
  const int64_t last_block = std::min<int64_t>(static_cast<int64_t>(in.track.size()) - 1,
                                               static_cast<int64_t>(r.extent / kBlockMetres));
  const Panel posts{top, 30};
  const Panel elevation{posts.bottom() + 34, 100};
  const Panel gradient{elevation.bottom() + 42, 100};
  const Panel speed{gradient.bottom() + 42, 190};
  const Panel curves{speed.bottom() + 42, 60};
  const Panel items{curves.bottom() + 42, room.names_rise + 16 + 28 * 4 + 10 + room.boards_drop};

  // The route axis: its grid and kilometre labels under every panel, drawn before the data.
  const double km_step = tick_step(r.extent / 1000, 20);
  const auto km_grid = [&](const Panel& p) {
    for (double km : ticks(0, r.extent / 1000, km_step, kMaxTicks)) {
      const double x = X(km * 1000);
      svg.line(x, p.top, x, p.bottom(), "stroke=" + colour(kGridColour));
      svg.line(x, p.bottom(), x, p.bottom() + 4, "stroke=" + colour(kAxisColour));
      svg.text(x, p.bottom() + 15, num(km, 1), "text-anchor=\"middle\" class=\"small\"");
    }
    for (const Change& c : r.changes) {
      svg.line(X(c.metre), p.top, X(c.metre), p.bottom(),
               "stroke=" + colour(kKilometreColour) +
                   " stroke-opacity=\"0.35\" stroke-dasharray=\"2 3\"");
    }
  };

  // The line's kilometrage: its posts along the route, and where a progressive takes over.
  const auto kilometre_strip = [&](const Panel& p, bool title) {
    if (title) {
      svg.text(kLeft, p.top - 7, "The line's kilometre posts (from its progressives)",
               "class=\"title2\"");
    }
    const double base = p.top + p.height / 2;
    svg.line(kLeft, base, kRight, base,
             "stroke=" + colour(kKilometreColour) + " stroke-width=\"1\"");
    svg.text(kLeft - 8, base - 1, "line km", "text-anchor=\"end\" class=\"small km\"");
    // Two posts or changes closer than their labels keep the first label; each keeps its tooltip.
    LabelSpace space(kLeft - 20, p.top - 4, kPageWidth - 4, p.bottom() + 4);
    for (const Change& c : r.changes) {
      const double x = X(c.metre);
      const std::string label = "km " + num(c.before / 1000, 3) + " | " + num(c.after / 1000, 3);
      svg.line(x, p.top, x, p.bottom(),
               "stroke=" + colour(kKilometreColour) + " stroke-width=\"2\"");
      if (space.take(text_box(x + 4, p.top + 8, text_width(label, 10), 10, Anchor::kStart))) {
        svg.text(x + 4, p.top + 8, label, "class=\"small km\"");
      }
    }
    for (const Post& k : r.posts) {
      const double x = X(k.metre);
      const std::string label = num(k.km / 1000, 1);
      svg.rect(x - 2.5, base - 9, 5, 9, "class=\"km-post\" fill=" + colour(kKilometreColour),
               "km " + label);
      if (space.take(text_box(x, base + 13, text_width(label, 10), 10, Anchor::kMiddle))) {
        svg.text(x, base + 13, label, "text-anchor=\"middle\" class=\"small km\"");
      }
    }
  };
  kilometre_strip(posts, true);

  // Gradients; a block whose mark is 0 was never given one and is left out.
  std::vector<double> grade(static_cast<size_t>(last_block + 1), 0);
  std::vector<bool> known(static_cast<size_t>(last_block + 1), false);
  double gmax = 5, hmin = 0, hmax = 0, h = 0;
  std::vector<double> height(static_cast<size_t>(last_block + 2), 0);
  for (int64_t b = 0; b <= last_block; ++b) {
    const TrackBlock& blk = in.track[static_cast<size_t>(b)];
    known[b] = blk.mark14 != 0;
    grade[b] = known[b] ? gradient_of_mark(blk.mark14) : 0;
    gmax = std::max(gmax, std::abs(grade[b]));
    h += grade[b] * kBlockMetres / 1000;
    height[b + 1] = h;
    hmin = std::min(hmin, h);
    hmax = std::max(hmax, h);
  }

  // Elevation, summed from the gradients.
  panel_frame(svg, elevation, "Elevation relative to the start (m), summed from the gradients");
  const double hstep = tick_step(std::max(hmax - hmin, 1.0), 4);
  const double hlo = std::floor(hmin / hstep) * hstep;
  const double hhi = std::max(std::ceil(hmax / hstep) * hstep, hlo + hstep);
  value_axis(svg, elevation, hlo, hhi, hstep, "m");
  km_grid(elevation);
  {
    std::vector<std::pair<double, double>> pts;
    const auto Y = [&](double v) {
      return elevation.bottom() - (v - hlo) / (hhi - hlo) * elevation.height;
    };
    pts.emplace_back(X(0), elevation.bottom());
    for (int64_t b = 0; b <= last_block + 1; ++b) {
      pts.emplace_back(X(std::min<double>(b * kBlockMetres, r.extent)), Y(height[b]));
    }
    pts.emplace_back(X(std::min<double>((last_block + 1) * kBlockMetres, r.extent)),
                     elevation.bottom());
    svg.polyline(pts, "fill=\"#efe4d2\" fill-opacity=\"0.75\" stroke=" + colour(kElevationColour) +
                          " stroke-width=\"1.5\"");
  }

  // Gradient steps, rising above the zero line and falling below it.
  gmax = std::ceil(gmax / 5) * 5;
  panel_frame(svg, gradient, "Gradient (per mille; above the line rising, below falling)");
  value_axis(svg, gradient, -gmax, gmax, tick_step(2 * gmax, 4), "per mille");
  km_grid(gradient);
  const double zero = gradient.top + gradient.height / 2;
  for (int64_t b = 0; b <= last_block;) {
    int64_t e = b;
    while (e + 1 <= last_block && grade[e + 1] == grade[b] && known[e + 1] == known[b]) ++e;
    if (known[b] && grade[b] != 0) {
      const double x1 = X(b * kBlockMetres);
      const double x2 = X(std::min<double>((e + 1) * kBlockMetres, r.extent));
      const double hgt = grade[b] / gmax * gradient.height / 2;
      svg.rect(x1, hgt > 0 ? zero - hgt : zero, std::max(x2 - x1, 0.5), std::abs(hgt),
               std::string("fill=\"") + (hgt > 0 ? kRiseColour : kFallColour) + "\"");
    }
    b = e + 1;
  }
  svg.line(kLeft, zero, kRight, zero, "stroke=\"#888\"");

  // Speed: the train's limit as a step line, and the line's own boards with their speeds.
  double vmax = 20;
  for (int64_t b = 0; b <= last_block; ++b) {
    vmax = std::max<double>(vmax, speed_of_mark(in.track[static_cast<size_t>(b)].mark13));
  }
  for (const SpeedBoard& s : r.speed_boards) {
    for (int k : s.kmh) vmax = std::max<double>(vmax, k);
  }
  vmax = std::ceil(vmax / 20) * 20 + 40;  // room above the highest for the boards' labels
  panel_frame(svg, speed, "Speed (km/h): the train's limit and the line's speed boards");
  value_axis(svg, speed, 0, vmax, tick_step(vmax, 5), "km/h");
  km_grid(speed);
  const auto VY = [&](double v) { return speed.bottom() - v / vmax * speed.height; };
  for (int k = 2; k >= 0; --k) {
    std::vector<std::pair<double, double>> pts;
    for (size_t i = 0; i < r.speed_boards.size(); ++i) {
      const SpeedBoard& s = r.speed_boards[i];
      const double to = i + 1 < r.speed_boards.size() ? r.speed_boards[i + 1].metre : r.extent;
      pts.emplace_back(X(s.metre), VY(s.kmh[k]));
      pts.emplace_back(X(std::max(to, s.metre)), VY(s.kmh[k]));
    }
    svg.polyline(pts, "class=\"board-speed\" fill=\"none\" stroke=" + colour(kLineSpeedColour[k]) +
                          " stroke-width=\"1.2\" stroke-dasharray=\"" +
                          (k == 0   ? "5 3"
                           : k == 1 ? "2 2"
                                    : "8 3 2 3") +
                          "\"");
  }
  {
    std::vector<std::pair<double, double>> pts;
    for (int64_t b = 0; b <= last_block; ++b) {
      const double v = speed_of_mark(in.track[static_cast<size_t>(b)].mark13);
      pts.emplace_back(X(b * kBlockMetres), VY(v));
      pts.emplace_back(X(std::min<double>((b + 1) * kBlockMetres, r.extent)), VY(v));
    }
    svg.polyline(pts, "id=\"train-limit\" fill=\"none\" stroke=" + colour(kSpeedColour) +
                          " stroke-width=\"2\" stroke-linejoin=\"round\"");
  }
  // Labels of the speed panel: the slowdowns' first, then the boards that set a limit, then
  // those that announce one; each tries rows above its symbol, then below.
  LabelSpace speed_labels(kLeft + 1, speed.top + 1, kPageWidth - 4, speed.bottom() - 1);
  for (const SpeedBoard& s : r.speed_boards) {
    const double top_speed = *std::max_element(s.kmh, s.kmh + 3);
    speed_labels.block(text_box(X(s.metre), VY(top_speed) - 7 + 5, 9, 11, Anchor::kMiddle));
  }
  // Slowdowns: the stretch under the slowdown's speed, tinted, with its speed.
  for (const SlowdownStretch& s : r.slowdowns) {
    const double x1 = X(s.from), x2 = std::max(X(s.to), x1 + 2), y = VY(s.kmh);
    svg.rect(x1, y, x2 - x1, std::max(speed.bottom() - y, 0.0),
             "class=\"slowdown\" fill=" + colour(kSlowdownColour) + " fill-opacity=\"0.18\"",
             "slowdown " + std::to_string(s.kmh) + " km/h, " + num(s.from / 1000, 3) + " to " +
                 num(s.to / 1000, 3) + " km");
    svg.line(x1, y, x2, y, "stroke=" + colour(kSlowdownColour) + " stroke-width=\"2.5\"");
  }
  for (const SlowdownStretch& s : r.slowdowns) {
    const std::string label = "slowdown " + std::to_string(s.kmh);
    const double w = text_width(label, 10);
    for (const double dy : {-5.0, -17.0, 12.0, 24.0}) {
      const double x = std::clamp(X(s.from), kLeft + 2, kPageWidth - 6 - w), y = VY(s.kmh) + dy;
      if (!speed_labels.take(text_box(x, y, w, 10, Anchor::kStart))) continue;
      svg.text(x, y, label, "class=\"small\" style=\"fill:" + std::string(kSlowdownColour) + "\"");
      break;
    }
  }
  {
    std::vector<size_t> order;
    for (size_t i = 0; i < r.speed_boards.size(); ++i) {
      if (!r.speed_boards[i].announces) order.push_back(i);
    }
    for (size_t i = 0; i < r.speed_boards.size(); ++i) {
      if (r.speed_boards[i].announces) order.push_back(i);
    }
    std::vector<std::string> labels(r.speed_boards.size());
    for (const size_t i : order) {
      const SpeedBoard& s = r.speed_boards[i];
      std::string label = std::to_string(s.kmh[0]);
      if (s.kmh[1] != s.kmh[0] || s.kmh[2] != s.kmh[0]) {
        label += "/" + std::to_string(s.kmh[1]) + "/" + std::to_string(s.kmh[2]);
      }
      labels[i] = label;
      const double x = X(s.metre);
      const double y = VY(*std::max_element(s.kmh, s.kmh + 3)) - 7;
      const double w = text_width(label, 10);
      for (const double dy : {-8.0, -20.0, -32.0, -44.0, 20.0, 32.0, 44.0}) {
        const double lx = std::clamp(x, kLeft + 2 + w / 2, kPageWidth - 6 - w / 2);
        if (!speed_labels.take(text_box(lx, y + dy, w, 10, Anchor::kMiddle))) continue;
        svg.text(lx, y + dy, label,
                 "text-anchor=\"middle\" class=\"small board-label\" style=\"fill:" +
                     std::string(kBoardColour) + "\"");
        break;
      }
    }
    // Smaller where boards stand closer than the symbol is wide, as on a long route.
    const double square = std::clamp(
        kPlotWidth / static_cast<double>(std::max<size_t>(r.speed_boards.size(), 1)) - 1, 4.0, 8.0);
    for (size_t i = 0; i < r.speed_boards.size(); ++i) {
      const SpeedBoard& s = r.speed_boards[i];
      const double x = X(s.metre);
      const double y = VY(*std::max_element(s.kmh, s.kmh + 3)) - 7;
      svg.rect(x - square / 2, y - square / 2, square, square,
               "class=\"speed-board\" stroke=" + colour(kBoardColour) +
                   " stroke-width=\"1.5\" fill=" +
                   (s.announces ? std::string("\"white\"") : colour(kBoardColour)),
               std::string(s.announces ? "speed board announcing " : "speed board ") + labels[i] +
                   " km/h at " + num(s.metre / 1000, 3) + " km");
    }
  }

  // Curvature: a band per curve of the plan, left curves above the line and right curves
  // below, as tall as the curve is sharp.
  double sharpest = 0;
  for (const PlanCurve& c : plan.curves) {
    if (c.radius > 0) sharpest = std::max(sharpest, 1 / c.radius);
  }
  panel_frame(svg, curves,
              "Curves (from the plan): left above the line, right below; the taller, the sharper");
  km_grid(curves);
  const double mid = curves.top + curves.height / 2;
  if (sharpest > 0) {
    const double half = curves.height / 2 - 3;
    for (const PlanCurve& c : plan.curves) {
      if (!(c.radius > 0) || c.start > r.extent) continue;
      const double hgt = std::max(half * (1 / c.radius) / sharpest, 1.0);
      const bool left = c.turn_degrees < 0;
      const double x1 = X(static_cast<double>(c.start));
      const double x2 = X(std::min<double>(static_cast<double>(c.start + c.length), r.extent));
      svg.rect(x1, left ? mid - hgt : mid, std::max(x2 - x1, 0.6), hgt,
               "class=\"curve\" fill=" + colour(left ? kLeftCurveColour : kRightCurveColour));
    }
    svg.text(kLeft - 6, curves.top + 9, "left", "text-anchor=\"end\" class=\"small\"");
    svg.text(kLeft - 6, curves.bottom() - 2, "right", "text-anchor=\"end\" class=\"small\"");
    svg.text(kRight - 4, curves.top + 11, "full height: radius " + num(1 / sharpest, 0) + " m",
             "text-anchor=\"end\" class=\"small\"");
  } else {
    svg.text(kLeft + kPlotWidth / 2, mid + 4, "no curve", "text-anchor=\"middle\" class=\"small\"");
  }
  svg.line(kLeft, mid, kRight, mid, "stroke=\"#888\"");

  // Line items, one lane each; station names and scheduled times slanted above their lane,
  // the boards' texts hanging below theirs.
  panel_frame(svg, items, "Stations with their scheduled times, signals, slowdowns and boards");
  km_grid(items);
  const double lane_names = items.top + room.names_rise;
  double lane[5];
  for (int i = 0; i < 5; ++i) lane[i] = lane_names + 16 + 28 * i;
  const char* lane_label[5] = {"stations", "main", "distant", "slowdowns", "boards"};
  for (int i = 0; i < 5; ++i) {
    svg.line(kLeft, lane[i], kRight, lane[i], "stroke=" + colour(kGridColour));
    svg.text(kLeft - 6, lane[i] + 4, lane_label[i], "text-anchor=\"end\" class=\"small\"");
  }
  LabelSpace space(kLeft - 30, items.top + 1, room.page_width - 4, items.bottom() - 1);
  // Slanted names stack without touching while stations stand a line's height apart; a name
  // with no room is left to the dot's tooltip, the plan and inspect.
  for (int slot : r.stations) {
    const double x = X(in.general[slot].long3);
    svg.line(
        x, elevation.top, x, lane[0],
        "stroke=" + colour(kStationColour) + " stroke-opacity=\"0.25\" stroke-dasharray=\"3 3\"");
    svg.circle(x, lane[0], 4.5, "fill=" + colour(kStationColour), station_label(in.general[slot]));
  }
  for (int slot : by_priority(in.general, r.stations)) {
    const double x = X(in.general[slot].long3) + 2;
    const std::string label = station_label(in.general[slot]);
    if (space.take(text_box(x, lane_names, text_width(label, 11), 11, Anchor::kStart, -40))) {
      svg.label(x, lane_names, label, Anchor::kStart, -40, "class=\"station\"");
    }
  }
  for (const Event& e : r.signals) {
    const double x = X(e.metre);
    switch (signal_kind(*e.block)) {
      case SignalKind::kMain:
        svg.line(x, lane[1] + 8, x, lane[1] - 4,
                 "stroke=" + colour(kMainSignalColour) + " stroke-width=\"2\"");
        svg.circle(x, lane[1] - 6, 4, "class=\"main-signal\" fill=" + colour(kMainSignalColour));
        break;
      case SignalKind::kDistant:
        svg.line(x, lane[2] + 8, x, lane[2] - 2,
                 "stroke=" + colour(kDistantSignalColour) + " stroke-width=\"2\"");
        svg.circle(x, lane[2] - 5, 3.5,
                   "class=\"distant-signal\" fill=\"white\" stroke-width=\"2\" stroke=" +
                       colour(kDistantSignalColour));
        break;
      case SignalKind::kOther:
        svg.line(
            x, lane[1] - 8, x, lane[1] + 8,
            "class=\"other-signal\" stroke=" + colour(kOtherSignalColour) + " stroke-width=\"2\"");
        break;
    }
  }
  for (const Event& e : r.warnings) {
    space.block(text_box(X(e.metre), lane[3] + 6, 12, 14, Anchor::kMiddle));
    svg.triangle(X(e.metre), lane[3], 6, "fill=" + colour(kWarningColour));
  }
  for (const SlowdownStretch& s : r.slowdowns) {
    const std::string label = std::to_string(s.kmh) + " km/h";
    svg.rect(X(s.from), lane[3] - 5, std::max(X(s.to) - X(s.from), 2.0), 10,
             "fill=" + colour(kSlowdownColour), "slowdown " + label);
    svg.line(X(s.to), lane[3] - 8, X(s.to), lane[3] + 8,
             "stroke=" + colour(kSlowdownColour) + " stroke-width=\"2\"");
    const double w = text_width(label, 10);
    for (const double dx : {0.0, 8.0, -w}) {
      const double x = std::clamp(X(s.from) + dx, kLeft + 2, room.page_width - 6 - w);
      if (!space.take(text_box(x, lane[3] - 10, w, 10, Anchor::kStart))) continue;
      svg.text(x, lane[3] - 10, label, "class=\"small\"");
      break;
    }
  }
  // Line-side boards: a plate on a post, its text hanging below (read from the top down).
  for (const Event& e : r.boards) {
    const double x = X(e.metre);
    const std::string text = board_text(in.general, *e.block);
    svg.line(x, lane[4] + 7, x, lane[4] - 1,
             "stroke=" + colour(kBoardColour) + " stroke-width=\"1.2\"");
    svg.rect(x - 4.5, lane[4] - 8, 9, 7,
             "class=\"line-board\" fill=\"white\" stroke=" + colour(kBoardColour) +
                 " stroke-width=\"1.4\"",
             text.empty() ? "line-side board" : text);
    if (text.empty()) continue;
    // Under the plate, else a little aside with a stroke to it, where boards stand close.
    const double ly = lane[4] + 13;
    for (const double dx : {0.0, 8.0, -8.0, 16.0, -16.0}) {
      const double lx = x + dx - 3;
      if (!space.take(text_box(lx, ly, text_width(text, 9), 9, Anchor::kStart, 90))) continue;
      if (dx != 0) {
        svg.line(x, lane[4] + 7, x + dx, ly - 2,
                 "stroke=" + colour(kBoardColour) + " stroke-width=\"0.8\"");
      }
      svg.label(lx, ly, text, Anchor::kStart, 90, "class=\"board-text\"");
      break;
    }
  }

  const Panel bottom_posts{items.bottom() + 22, 30};
  kilometre_strip(bottom_posts, false);
  svg.text(kLeft + kPlotWidth / 2, bottom_posts.bottom() + 16,
           "route position (km from the start; the line's own kilometre on the posts)",
           "text-anchor=\"middle\" class=\"axis\"");
  end = bottom_posts.bottom() + 24;
}

double draw_legend(Svg& svg, double top) {
  struct Item {
    const char* label;
    int symbol;  // 0 line, 1 dashed, 2 dot, 3 main, 4 distant, 5 triangle, 6 bar, 7 plate,
                 // 8 fill, 9 board, 10 post, 11 tinted stretch
    const char* colour;
  };
  const Item items[] = {
      {"route (plan)", 0, kRouteColour},
      {"run-out beyond the route", 1, kRunOutColour},
      {"station (scheduled time)", 2, kStationColour},
      {"main signal", 3, kMainSignalColour},
      {"distant signal", 4, kDistantSignalColour},
      {"slowdown warning", 5, kWarningColour},
      {"slowdown, start to end", 6, kSlowdownColour},
      {"line-side board (its text below)", 7, kBoardColour},
      {"slowdown in the speed panel", 11, kSlowdownColour},
      {"train's speed limit", 0, kSpeedColour},
      {"speed board (hollow: announces)", 9, kBoardColour},
      {"board speeds 1, 2, 3", 1, kLineSpeedColour[1]},
      {"gradient rising", 8, kRiseColour},
      {"gradient falling", 8, kFallColour},
      {"curve to the left", 8, kLeftCurveColour},
      {"curve to the right", 8, kRightCurveColour},
      {"kilometre post", 10, kKilometreColour},
  };
  // Items flow left to right, each as wide as its label, and wrap before the frame's edge.
  std::vector<std::pair<double, double>> at;
  double x = kLeft + 80, y = top + 18;
  for (const Item& item : items) {
    const double w = 30 + text_width(item.label, 10) + 14;
    if (x + w > kRight && x > kLeft + 80) x = kLeft + 80, y += 20;
    at.emplace_back(x, y);
    x += w;
  }
  const double height = y - top + 16;
  svg.rect(kLeft, top, kPlotWidth, height, "fill=\"#f6f7f9\" stroke=\"#ccc\"");
  svg.text(kLeft + 10, top + 20, "Legend", "font-weight=\"bold\"");
  for (size_t i = 0; i < std::size(items); ++i) {
    const double x = at[i].first;
    const double y = at[i].second;
    const std::string c = colour(items[i].colour);
    switch (items[i].symbol) {
      case 0:
        svg.line(x, y, x + 22, y, "stroke=" + c + " stroke-width=\"2.5\"");
        break;
      case 1:
        svg.line(x, y, x + 22, y, "stroke=" + c + " stroke-width=\"2\" stroke-dasharray=\"6 4\"");
        break;
      case 2:
        svg.circle(x + 11, y, 4.5, "fill=" + c);
        break;
      case 3:
        svg.line(x + 11, y + 8, x + 11, y - 4, "stroke=" + c + " stroke-width=\"2\"");
        svg.circle(x + 11, y - 6, 4, "fill=" + c);
        break;
      case 4:
        svg.line(x + 11, y + 8, x + 11, y - 2, "stroke=" + c + " stroke-width=\"2\"");
        svg.circle(x + 11, y - 5, 3.5, "fill=\"white\" stroke-width=\"2\" stroke=" + c);
        break;
      case 5:
        svg.triangle(x + 11, y, 6, "fill=" + c);
        break;
      case 6:
        svg.rect(x, y - 5, 22, 10, "fill=" + c);
        break;
      case 7:
        svg.line(x + 11, y + 6, x + 11, y - 1, "stroke=" + c + " stroke-width=\"1.2\"");
        svg.rect(x + 6.5, y - 8, 9, 7, "fill=\"white\" stroke=" + c + " stroke-width=\"1.4\"");
        break;
      case 11:
        svg.rect(x, y - 4, 22, 10, "fill=" + c + " fill-opacity=\"0.18\"");
        svg.line(x, y - 4, x + 22, y - 4, "stroke=" + c + " stroke-width=\"2.5\"");
        break;
      case 9:
        svg.rect(x + 3, y - 4, 8, 8, "stroke=" + c + " stroke-width=\"1.5\" fill=" + c);
        svg.rect(x + 14, y - 4, 8, 8, "stroke=" + c + " stroke-width=\"1.5\" fill=\"white\"");
        break;
      case 10:
        svg.rect(x + 8.5, y - 5, 5, 9, "fill=" + c);
        break;
      default:
        svg.rect(x, y - 6, 22, 12, "fill=" + c);
    }
    svg.text(x + 30, y + 4, items[i].label, "class=\"small\"");
  }
  return height;
}

}  // namespace

std::vector<SlowdownStretch> slowdown_stretches(const std::vector<TrackBlock>& track) {
  std::vector<SlowdownStretch> out;
  // Walked backward, keeping the nearest end ahead: one pass however many starts and ends the
  // track holds (a search from each start was quadratic on a crafted track).
  double end_ahead = -1;
  for (size_t b = track.size(); b-- > 0;) {
    const double metre = static_cast<double>(b) * kBlockMetres;
    if (track[b].code == kSlowdownStart) {
      out.push_back({metre, end_ahead >= 0 ? end_ahead : metre, track[b].value1});
    }
    if (track[b].code == kSlowdownEnd) end_ahead = metre;
  }
  std::reverse(out.begin(), out.end());
  return out;
}

std::string render_plot_svg(const PlotInput& in) {
  const PlanSummary plan = summarize_plan(in.curves);
  const RouteData route = gather(in);
  const CurveTable& t = in.curves;
  int64_t last_point = t.last_metre();
  while (last_point > 0 && !has_point(t, last_point)) --last_point;
  const int64_t route_end = std::min<int64_t>(
      std::max<int64_t>(in.general[GeneralTable::kTrainAndRoute].long2, 0), t.last_metre());
  const std::vector<int64_t> route_metres = plan_samples(t, 0, route_end);
  const std::vector<int64_t> run_out =
      last_point > route_end ? plan_samples(t, route_end, last_point) : std::vector<int64_t>{};
  std::vector<int64_t> all = route_metres;
  all.insert(all.end(), run_out.begin(), run_out.end());
  const PlanView view = fit_plan(t, route_metres.size() >= 2 ? route_metres : all, all);

  Svg body;
  const int32_t length = in.general[GeneralTable::kTrainAndRoute].long2;
  body.text(kLeft, 32, display_text(in.name) + ", train " + display_text(in.train),
            "class=\"title\"");
  std::string signals = count(route.signals.size(), "signal", "signals");
  if (!route.signals.empty()) {
    signals += " (" + std::to_string(route.main_signals) + " main, " +
               std::to_string(route.distant_signals) + " distant)";
  }
  body.text(kLeft, 52,
            "route " + num(length / 1000.0, 3) + " km, " +
                count(route.stations.size(), "station", "stations") + ", " + signals + ", " +
                count(route.slowdowns.size(), "slowdown", "slowdowns") + ", " +
                count(route.speed_boards.size(), "speed board", "speed boards") + ", " +
                count(route.boards.size(), "line-side board", "line-side boards"),
            "class=\"small\"");
  draw_plan(body, in, route, view, route_metres, run_out);
  const double legend_top = view.top + view.height + 24;
  const double legend_height = draw_legend(body, legend_top);
  double end = 0;
  LabelRoom room;
  draw_profiles(body, in, route, plan, legend_top + legend_height + 40, end, room);
  const double height = std::ceil(end + 10);
  return body.document(
      room.page_width, height,
      display_text(in.name) + ", train " + display_text(in.train) + ": plan and route profile",
      ".board-text{font-size:9px;fill:#4a235a}");
}

}  // namespace scenario

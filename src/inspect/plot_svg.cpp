#include "inspect/plot_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "format/curve_image.h"
#include "format/general_image.h"
#include "format/track_image.h"
#include "inspect/display_text.h"
#include "inspect/plan_summary.h"
#include "inspect/svg_canvas.h"

namespace scenario {
namespace {

using svg::exact;
using svg::num;
using svg::Svg;
using svg::tick_step;
using svg::xml;

// Page geometry, in SVG pixels.
constexpr double kWidth = 1200;
constexpr double kLeft = 80;
constexpr double kRight = 1160;
constexpr double kPlotWidth = kRight - kLeft;
constexpr double kPlanTop = 86;
constexpr double kPlanMargin = 24;  // inside the plan box, around the drawing

// Colours, one per kind of thing, used in the drawing and in the legend alike.
constexpr const char* kRouteColour = "#1f4e9c";
constexpr const char* kRunOutColour = "#8a9bb8";
constexpr const char* kStationColour = "#c0392b";
constexpr const char* kSignalColour = "#1e8449";
constexpr const char* kWarningColour = "#e67e22";
constexpr const char* kSlowdownColour = "#d81b60";
constexpr const char* kBoardColour = "#6c3483";
constexpr const char* kSpeedColour = "#1f4e9c";
constexpr const char* kRiseColour = "#c8a165";
constexpr const char* kFallColour = "#7fb3d5";
constexpr const char* kElevationColour = "#7d5a2b";
constexpr const char* kGridColour = "#e3e6ea";
constexpr const char* kAxisColour = "#555";

// The plan transform: screen x = tx + s·X, y = ty − s·Y (north up, one scale on both axes).
struct PlanView {
  double s = 1, tx = 0, ty = 0;
  double top = kPlanTop, height = 400;
  double x(double X) const { return tx + s * X; }
  double y(double Y) const { return ty - s * Y; }
};

PlanView fit_plan(const PlanSummary& p) {
  PlanView v;
  const double span_x = std::max(p.max_x - p.min_x, 1.0);
  const double span_y = std::max(p.max_y - p.min_y, 1.0);
  v.height = std::clamp(kPlotWidth * span_y / span_x, 320.0, 620.0);
  const double inner_w = kPlotWidth - 2 * kPlanMargin;
  const double inner_h = v.height - 2 * kPlanMargin;
  v.s = std::min(inner_w / span_x, inner_h / span_y);
  const double cx = (p.min_x + p.max_x) / 2;
  const double cy = (p.min_y + p.max_y) / 2;
  v.tx = kLeft + kPlotWidth / 2 - v.s * cx;
  v.ty = v.top + v.height / 2 + v.s * cy;
  return v;
}

struct Event {
  double metre;
  const TrackBlock* block;
};

// Everything the profiles need, gathered once.
struct RouteData {
  double extent = 0;  // metres shown along the route
  std::vector<int> stations;
  std::vector<Event> signals, warnings, starts, ends, boards;
};

RouteData gather(const PlotInput& in) {
  RouteData r;
  r.stations = station_slots(in.general);
  double last_item = 0;
  for (size_t i = 0; i < in.track.size(); ++i) {
    const TrackBlock& b = in.track[i];
    const Event e{static_cast<double>(static_cast<int64_t>(i) * kBlockMetres), &b};
    switch (b.code) {
      case kSignal:
        r.signals.push_back(e);
        break;
      case kSlowdownWarning:
        r.warnings.push_back(e);
        break;
      case kSlowdownStart:
        r.starts.push_back(e);
        break;
      case kSlowdownEnd:
        r.ends.push_back(e);
        break;
      case kIndicationBoard:
        r.boards.push_back(e);
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
  return r;
}

void draw_plan(Svg& svg, const PlotInput& in, const RouteData& route, const PlanSummary& plan,
               const PlanView& v) {
  svg.rect(kLeft, v.top, kPlotWidth, v.height,
           "fill=\"#fbfcfd\" stroke=\"" + std::string(kAxisColour) + "\"");
  svg.text(kLeft, v.top - 8,
           "Plan of the line (from the curve table: axis 0 = X east, axis 1 = Y north)",
           "class=\"title2\"");
  if (!plan.has_points) {
    svg.text(kLeft + kPlotWidth / 2, v.top + v.height / 2, "the curve table holds no point",
             "text-anchor=\"middle\"");
    return;
  }
  // Grid and kilometre ticks over the whole box, in table metres.
  const double x0 = (kLeft - v.tx) / v.s, x1 = (kRight - v.tx) / v.s;
  const double y0 = (v.ty - (v.top + v.height)) / v.s, y1 = (v.ty - v.top) / v.s;
  const double step = std::max(tick_step(x1 - x0, 12), tick_step(y1 - y0, 8));
  svg.raw("<g class=\"grid\">\n");
  for (double X = std::ceil(x0 / step) * step; X <= x1; X += step) {
    svg.line(v.x(X), v.top, v.x(X), v.top + v.height,
             "stroke=\"" + std::string(kGridColour) + "\"");
    svg.text(v.x(X), v.top + v.height + 16, num(X / 1000, 1), "text-anchor=\"middle\"");
  }
  for (double Y = std::ceil(y0 / step) * step; Y <= y1; Y += step) {
    svg.line(kLeft, v.y(Y), kRight, v.y(Y), "stroke=\"" + std::string(kGridColour) + "\"");
    svg.text(kLeft - 6, v.y(Y) + 4, num(Y / 1000, 1), "text-anchor=\"end\"");
  }
  svg.raw("</g>\n");
  svg.text(kLeft + kPlotWidth / 2, v.top + v.height + 34, "X east (km)",
           "text-anchor=\"middle\" class=\"axis\"");
  svg.text(kLeft - 50, v.top + v.height / 2, "Y north (km)",
           "text-anchor=\"middle\" class=\"axis\" transform=\"rotate(-90 " + num(kLeft - 50) + " " +
               num(v.top + v.height / 2) + ")\"");
  // North arrow.
  const double nx = kRight - 24, ny = v.top + 18;
  svg.raw("<path d=\"M" + num(nx) + "," + num(ny) + " l-7,18 l7,-5 l7,5 z\" fill=\"#333\"/>\n");
  svg.text(nx, ny + 32, "N", "text-anchor=\"middle\" font-weight=\"bold\"");

  // The path: the table's own points every kPlanSampleMetres, the route's last metre
  // included; the run-out beyond the route dashed.
  const CurveTable& t = in.curves;
  const int64_t route_end = std::min<int64_t>(
      std::max<int64_t>(in.general[GeneralTable::kTrainAndRoute].long2, 0), t.last_metre());
  const auto path = [&](int64_t from, int64_t to, const char* id, const std::string& style) {
    std::vector<std::pair<double, double>> pts;
    std::string metres;
    std::vector<int64_t> samples;
    for (int64_t m = from; m < to; m += kPlanSampleMetres) samples.push_back(m);
    samples.push_back(to);
    for (int64_t m : samples) {
      if (!has_point(t, m)) continue;
      pts.emplace_back(v.x(t.value(m, 0)), v.y(t.value(m, 1)));
      metres += (metres.empty() ? "" : " ") + std::to_string(m);
    }
    if (pts.size() < 2) return;
    // Three decimals: well under a pixel, and what a check against the table reads back.
    std::string s = "<polyline id=\"" + std::string(id) + "\" data-metres=\"" + metres +
                    "\" data-transform=\"" + exact(v.s) + " " + exact(v.tx) + " " + exact(v.ty) +
                    "\" " + style + " points=\"";
    for (size_t i = 0; i < pts.size(); ++i) {
      char buf[80];
      std::snprintf(buf, sizeof buf, "%s%.3f,%.3f", i ? " " : "", pts[i].first, pts[i].second);
      s += buf;
    }
    svg.raw(s + "\"/>\n");
  };
  int64_t last_point = t.last_metre();
  while (last_point > 0 && !has_point(t, last_point)) --last_point;
  path(0, route_end, "plan-route",
       "fill=\"none\" stroke=\"" + std::string(kRouteColour) +
           "\" stroke-width=\"2.5\" stroke-linejoin=\"round\"");
  if (last_point > route_end) {
    path(route_end, last_point, "plan-run-out",
         "fill=\"none\" stroke=\"" + std::string(kRunOutColour) +
             "\" stroke-width=\"2\" stroke-dasharray=\"6 4\"");
  }
  if (has_point(t, 0)) {
    svg.circle(v.x(t.value(0, 0)), v.y(t.value(0, 1)), 5,
               "fill=\"white\" stroke=\"" + std::string(kRouteColour) + "\" stroke-width=\"2\"");
  }

  // Stations: a dot at the station's metre, the name beside the track, alternating sides.
  int index = 0;
  for (int slot : route.stations) {
    const int64_t m = in.general[slot].long3;
    ++index;
    if (m < 0 || m > t.last_metre() || !has_point(t, m)) continue;
    const double px = v.x(t.value(m, 0)), py = v.y(t.value(m, 1));
    const int64_t a = std::max<int64_t>(0, m - 100), b = std::min<int64_t>(last_point, m + 100);
    double dx = 0, dy = -1;
    if (has_point(t, a) && has_point(t, b) && b > a) {
      dx = v.x(t.value(b, 0)) - v.x(t.value(a, 0));
      dy = v.y(t.value(b, 1)) - v.y(t.value(a, 1));
    }
    const double len = std::hypot(dx, dy);
    double ox = len > 0 ? -dy / len : 1, oy = len > 0 ? dx / len : 0;
    if (index % 2 == 0) {
      ox = -ox;
      oy = -oy;
    }
    svg.circle(px, py, 4.5,
               "fill=\"" + std::string(kStationColour) + "\" stroke=\"white\" stroke-width=\"1\"");
    const double lx = px + ox * 10, ly = py + oy * 10 + 4;
    svg.text(lx, ly, display_text(in.general[slot].text),
             std::string("class=\"station\" text-anchor=\"") + (ox >= 0 ? "start" : "end") + "\"");
  }
}

struct Panel {
  double top, height;
  double bottom() const { return top + height; }
};

void panel_frame(Svg& svg, const Panel& p, const std::string& title) {
  svg.rect(kLeft, p.top, kPlotWidth, p.height,
           "fill=\"white\" stroke=\"" + std::string(kAxisColour) + "\"");
  svg.text(kLeft, p.top - 7, title, "class=\"title2\"");
}

void value_axis(Svg& svg, const Panel& p, double lo, double hi, double step,
                const std::string& label) {
  for (double v = std::ceil(lo / step) * step; v <= hi + 1e-9; v += step) {
    const double y = p.bottom() - (v - lo) / (hi - lo) * p.height;
    svg.line(kLeft, y, kRight, y, "stroke=\"" + std::string(kGridColour) + "\"");
    svg.text(kLeft - 6, y + 4, num(v, 1), "text-anchor=\"end\"");
  }
  const double mid = p.top + p.height / 2;
  svg.text(kLeft - 50, mid, label,
           "text-anchor=\"middle\" class=\"axis\" transform=\"rotate(-90 " + num(kLeft - 50) + " " +
               num(mid) + ")\"");
}

void draw_profiles(Svg& svg, const PlotInput& in, const RouteData& r, double top, double& end) {
  const auto X = [&](double metre) { return kLeft + metre / r.extent * kPlotWidth; };
  const int64_t last_block = std::min<int64_t>(static_cast<int64_t>(in.track.size()) - 1,
                                               static_cast<int64_t>(r.extent / kBlockMetres));
  const Panel elevation{top, 110};
  const Panel gradient{elevation.bottom() + 42, 110};
  const Panel speed{gradient.bottom() + 42, 130};
  const Panel items{speed.bottom() + 42, 210};

  // The route axis: its grid and kilometre labels under every panel, drawn before the data.
  const double km_step = tick_step(r.extent / 1000, 20);
  const auto km_grid = [&](const Panel& p) {
    for (double km = 0; km <= r.extent / 1000 + 1e-9; km += km_step) {
      const double x = X(km * 1000);
      svg.line(x, p.top, x, p.bottom(), "stroke=\"" + std::string(kGridColour) + "\"");
      svg.line(x, p.bottom(), x, p.bottom() + 4, "stroke=\"" + std::string(kAxisColour) + "\"");
      svg.text(x, p.bottom() + 15, num(km, 1), "text-anchor=\"middle\" class=\"small\"");
    }
  };

  // Gradients; a block whose mark is 0 was never given one and is left out.
  std::vector<double> grade(static_cast<size_t>(last_block + 1), 0);
  std::vector<bool> known(static_cast<size_t>(last_block + 1), false);
  double gmax = 5, hmin = 0, hmax = 0, h = 0;
  std::vector<double> height(static_cast<size_t>(last_block + 2), 0);
  for (int64_t b = 0; b <= last_block; ++b) {
    const TrackBlock& blk = in.track[static_cast<size_t>(b)];
    known[b] = blk.mark14 != 0;
    grade[b] = known[b] ? blk.mark14 - 100.0 : 0;
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
    svg.polyline(pts, "fill=\"#efe4d2\" fill-opacity=\"0.75\" stroke=\"" +
                          std::string(kElevationColour) + "\" stroke-width=\"1.5\"");
  }

  // Gradient steps, rising above the zero line and falling below it.
  gmax = std::ceil(gmax / 5) * 5;
  panel_frame(svg, gradient, "Gradient (per mille, mark14 - 100; positive = rising)");
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

  // Speed limit as a step line.
  double vmax = 20;
  for (int64_t b = 0; b <= last_block; ++b) {
    vmax = std::max(vmax, in.track[static_cast<size_t>(b)].mark13 * 5.0);
  }
  vmax = std::ceil(vmax / 20) * 20;
  panel_frame(svg, speed, "Speed limit (km/h, mark13 x 5)");
  value_axis(svg, speed, 0, vmax, tick_step(vmax, 5), "km/h");
  km_grid(speed);
  {
    std::vector<std::pair<double, double>> pts;
    const auto Y = [&](double v) { return speed.bottom() - v / vmax * speed.height; };
    for (int64_t b = 0; b <= last_block; ++b) {
      const double v = in.track[static_cast<size_t>(b)].mark13 * 5.0;
      pts.emplace_back(X(b * kBlockMetres), Y(v));
      pts.emplace_back(X(std::min<double>((b + 1) * kBlockMetres, r.extent)), Y(v));
    }
    svg.polyline(pts, "fill=\"none\" stroke=\"" + std::string(kSpeedColour) +
                          "\" stroke-width=\"2\" stroke-linejoin=\"round\"");
  }

  // Line items, one lane each; station names above their lane.
  panel_frame(svg, items, "Stations, signals, slowdowns and line-side boards");
  km_grid(items);
  const double lane_names = items.top + 92;
  const double lane[4] = {lane_names + 16, lane_names + 44, lane_names + 72, lane_names + 100};
  const char* lane_label[4] = {"stations", "signals", "slowdowns", "boards"};
  for (int i = 0; i < 4; ++i) {
    svg.line(kLeft, lane[i], kRight, lane[i], "stroke=\"" + std::string(kGridColour) + "\"");
    svg.text(kLeft - 6, lane[i] + 4, lane_label[i], "text-anchor=\"end\" class=\"small\"");
  }
  for (int slot : r.stations) {
    const double x = X(in.general[slot].long3);
    svg.line(x, elevation.top, x, lane[0],
             "stroke=\"" + std::string(kStationColour) +
                 "\" stroke-opacity=\"0.25\" stroke-dasharray=\"3 3\"");
    svg.circle(x, lane[0], 4.5, "fill=\"" + std::string(kStationColour) + "\"");
    svg.text(
        x + 2, lane_names, display_text(in.general[slot].text),
        "class=\"station\" transform=\"rotate(-40 " + num(x + 2) + " " + num(lane_names) + ")\"");
  }
  for (const Event& e : r.signals) {
    svg.line(X(e.metre), lane[1] - 8, X(e.metre), lane[1] + 8,
             "stroke=\"" + std::string(kSignalColour) + "\" stroke-width=\"2\"");
  }
  // Each start runs to the first end after it.
  for (const Event& s : r.starts) {
    double to = s.metre;
    for (const Event& e : r.ends) {
      if (e.metre >= s.metre) {
        to = e.metre;
        break;
      }
    }
    svg.rect(X(s.metre), lane[2] - 5, std::max(X(to) - X(s.metre), 2.0), 10,
             "fill=\"" + std::string(kSlowdownColour) + "\"");
    svg.text(X(s.metre), lane[2] - 8, std::to_string(s.block->value1), "class=\"small\"");
  }
  for (const Event& e : r.ends) {
    svg.line(X(e.metre), lane[2] - 8, X(e.metre), lane[2] + 8,
             "stroke=\"" + std::string(kSlowdownColour) + "\" stroke-width=\"2\"");
  }
  for (const Event& e : r.warnings) {
    svg.triangle(X(e.metre), lane[2], 6, "fill=\"" + std::string(kWarningColour) + "\"");
  }
  for (const Event& e : r.boards) {
    svg.rect(X(e.metre) - 3.5, lane[3] - 3.5, 7, 7, "fill=\"" + std::string(kBoardColour) + "\"");
  }

  svg.text(kLeft + kPlotWidth / 2, items.bottom() + 34, "route position (km)",
           "text-anchor=\"middle\" class=\"axis\"");
  end = items.bottom() + 40;
}

void draw_legend(Svg& svg, double top) {
  struct Item {
    const char* label;
    int symbol;  // 0 line, 1 dashed, 2 dot, 3 tick, 4 triangle, 5 bar, 6 square, 7 fill
    const char* colour;
  };
  const Item items[] = {
      {"route (plan)", 0, kRouteColour},
      {"run-out beyond the route", 1, kRunOutColour},
      {"station", 2, kStationColour},
      {"signal", 3, kSignalColour},
      {"slowdown warning", 4, kWarningColour},
      {"slowdown, start to end (km/h)", 5, kSlowdownColour},
      {"line-side board", 6, kBoardColour},
      {"speed limit", 0, kSpeedColour},
      {"gradient rising", 7, kRiseColour},
      {"gradient falling", 7, kFallColour},
  };
  svg.rect(kLeft, top, kPlotWidth, 52, "fill=\"#f6f7f9\" stroke=\"#ccc\"");
  svg.text(kLeft + 10, top + 20, "Legend", "font-weight=\"bold\"");
  const double col = (kPlotWidth - 80) / 5;
  for (size_t i = 0; i < std::size(items); ++i) {
    const double x = kLeft + 80 + col * static_cast<double>(i % 5);
    const double y = top + 18 + 20 * static_cast<double>(i / 5);
    const std::string c = items[i].colour;
    switch (items[i].symbol) {
      case 0:
        svg.line(x, y, x + 22, y, "stroke=\"" + c + "\" stroke-width=\"2.5\"");
        break;
      case 1:
        svg.line(x, y, x + 22, y,
                 "stroke=\"" + c + "\" stroke-width=\"2\" stroke-dasharray=\"6 4\"");
        break;
      case 2:
        svg.circle(x + 11, y, 4.5, "fill=\"" + c + "\"");
        break;
      case 3:
        svg.line(x + 11, y - 8, x + 11, y + 8, "stroke=\"" + c + "\" stroke-width=\"2\"");
        break;
      case 4:
        svg.triangle(x + 11, y, 6, "fill=\"" + c + "\"");
        break;
      case 5:
        svg.rect(x, y - 5, 22, 10, "fill=\"" + c + "\"");
        break;
      case 6:
        svg.rect(x + 7.5, y - 3.5, 7, 7, "fill=\"" + c + "\"");
        break;
      default:
        svg.rect(x, y - 6, 22, 12, "fill=\"" + c + "\"");
    }
    svg.text(x + 30, y + 4, items[i].label, "class=\"small\"");
  }
}

}  // namespace

std::string render_plot_svg(const PlotInput& in) {
  const PlanSummary plan = summarize_plan(in.curves);
  const RouteData route = gather(in);
  PlanView view = fit_plan(plan);

  Svg body;
  const int32_t length = in.general[GeneralTable::kTrainAndRoute].long2;
  body.text(kLeft, 32, display_text(in.name) + ", train " + display_text(in.train),
            "class=\"title\"");
  body.text(kLeft, 52,
            "route " + num(length / 1000.0, 3) + " km, " + std::to_string(route.stations.size()) +
                " stations, " + std::to_string(route.signals.size()) + " signals, " +
                std::to_string(route.starts.size()) + " slowdowns, " +
                std::to_string(route.boards.size()) + " line-side boards",
            "class=\"small\"");
  draw_plan(body, in, route, plan, view);
  const double legend_top = view.top + view.height + 48;
  draw_legend(body, legend_top);
  double end = 0;
  draw_profiles(body, in, route, legend_top + 52 + 40, end);
  const double height = std::ceil(end + 10);

  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(kWidth) + "\" height=\"" +
         num(height) + "\" viewBox=\"0 0 " + num(kWidth) + " " + num(height) +
         "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\" font-size=\"11\">\n";
  out += "<title>" + xml(display_text(in.name)) + ", train " + xml(display_text(in.train)) +
         ": plan and route profile</title>\n";
  out +=
      "<style>.title{font-size:18px;font-weight:bold}.title2{font-size:13px;font-weight:bold;"
      "fill:#333}.axis{font-size:12px;fill:#333}.small{font-size:10px;fill:#333}"
      ".station{font-size:11px;fill:#7b241c;paint-order:stroke;stroke:white;stroke-width:3px}"
      "</style>\n";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  out += body.str();
  out += "</svg>\n";
  return out;
}

}  // namespace scenario

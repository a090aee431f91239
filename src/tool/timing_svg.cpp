#include "tool/timing_svg.h"

#include <algorithm>
#include <cmath>

#include "inspect/svg_canvas.h"
#include "timing/kilometrage.h"
#include "tool/run_options.h"
#include "tool/timing_report.h"

namespace scenario::tool {
namespace {

// The page, its panels and colours.
using namespace svg;

// Colours as the plot has them.
constexpr const char* kLimitColour = "#1f4e9c";
constexpr const char* kRunColour = "#d35400";
constexpr const char* kScheduleColour = "#1e8449";
constexpr const char* kFastestColour = "#a6acaf";
constexpr const char* kCoastColour = "#17a589";

struct Axis {
  double from, to;
  double x(double metre) const { return kLeft + (metre - from) / (to - from) * kPlotWidth; }
};

// title_above: how far above the panel its title stands (room for the station names).
void frame(Svg& s, const Panel& p, const std::string& title, double title_above) {
  s.rect(kLeft, p.top, kPlotWidth, p.height, "fill=\"white\" stroke=" + colour(kAxisColour));
  s.text(kLeft, p.top - title_above, title, "class=\"title2\"");
}

// Ticks along the route, each labelled with its route kilometre and the line's kilometre.
void distance_axis(Svg& s, const Panel& p, const Axis& a, const timing::RunInput& in) {
  const double step = tick_step((a.to - a.from) / 1000, 16) * 1000;
  for (const double m : ticks(a.from, a.to, step, 100)) {
    const double x = a.x(m);
    s.line(x, p.top, x, p.bottom(), "stroke=" + colour(kGridColour));
    s.text(x, p.bottom() + 16, num(m / 1000, 1), "text-anchor=\"middle\" class=\"small\"");
    s.text(x, p.bottom() + 29, num(timing::line_kilometre(in.progressives, m) / 1000, 3),
           "text-anchor=\"middle\" class=\"small km\"");
  }
  // A row below the value axis's lowest label.
  s.text(kLeft - 8, p.bottom() + 16, "route km", "text-anchor=\"end\" class=\"small\"");
  s.text(kLeft - 8, p.bottom() + 29, "line km", "text-anchor=\"end\" class=\"small km\"");
}

constexpr double kNameTurn = -35;     // degrees: the station names slant up to the right
constexpr double kLongestName = 320;  // px: a longer name is left to its line's tooltip

double name_width(const timing::StationTimes& st) {
  return std::min(text_width(st.name, 11), kLongestName);
}

// The stations in the order their names are placed: the ends of the run, the timed stops, the
// rest.
std::vector<size_t> by_priority(const timing::RunResult& r) {
  std::vector<size_t> out;
  const auto rank = [&](size_t i) {
    if (i == 0 || i + 1 == r.stations.size()) return 0;
    return r.stations[i].stops ? 1 : 2;
  };
  for (int k = 0; k < 3; ++k) {
    for (size_t i = 0; i < r.stations.size(); ++i) {
      if (rank(i) == k) out.push_back(i);
    }
  }
  return out;
}

void stations(Svg& s, const Panel& p, const Axis& a, const timing::RunResult& r, bool names,
              double page_width) {
  for (const timing::StationTimes& st : r.stations) {
    const double x = a.x(st.stops ? st.stop : st.position);
    s.line(x, p.top, x, p.bottom(),
           "stroke=" + colour(kStationColour) +
               (st.stops ? " stroke-opacity=\"0.5\"" : " stroke-opacity=\"0.25\"") +
               " stroke-dasharray=\"3 3\"");
  }
  if (!names) return;
  // Slanted names stack without touching while their stations stand apart; one with no room
  // is named in the run's table and the JSON.
  LabelSpace space(kLeft - 20, 60, page_width - 4, p.top);
  for (const size_t i : by_priority(r)) {
    const timing::StationTimes& st = r.stations[i];
    const double x = a.x(st.stops ? st.stop : st.position) + 3;
    if (!space.take(
            text_box(x, p.top - 6, text_width(st.name, 11), 11, Anchor::kStart, kNameTurn))) {
      continue;
    }
    s.label(x, p.top - 6, st.name, Anchor::kStart, kNameTurn, "class=\"station\"");
  }
}

}  // namespace

std::string render_timing_svg(const timing::RunResult& r, const timing::RunInput& in,
                              const timing::TrainModel& model, const std::string& title,
                              const timing::RunResult* fastest) {
  const std::string run_label = std::string(run_name(r.kind)) + " run";
  Axis a{r.profile.empty() ? 0 : r.profile.front().position,
         r.profile.empty() ? 1 : r.profile.back().position};
  for (const timing::StationTimes& st : r.stations) a.from = std::min(a.from, st.position);
  if (!(a.to > a.from)) a.to = a.from + 1000;

  Svg body;
  body.text(kLeft, 32, title, "class=\"title\"");
  const auto pantograph = pantograph_kwh(r.energy, model);
  body.text(kLeft, 52,
            run_label + ": " + num(r.mass_t, 0) + " t, " + num(r.length_m, 1) +
                " m, service braking " + num(r.service_deceleration, 2) +
                " m/s²; energy at the rail " + num(kilowatt_hours(r.energy.traction), 1) +
                " kWh, braked away " + num(kilowatt_hours(r.energy.braking), 1) + " kWh" +
                (pantograph ? ", at the pantograph " + num(*pantograph, 1) + " kWh" : ""),
            "class=\"small\"");

  // Room for the slanted names above the speed panel, and a page wide enough for the last.
  const double turn = -kNameTurn * 3.14159265358979323846 / 180;
  double rise = 20, page_width = kPageWidth;
  for (const timing::StationTimes& st : r.stations) {
    const double w = name_width(st);
    rise = std::max(rise, w * std::sin(turn) + 9.4 * std::cos(turn) + 4);
    const double x = a.x(st.stops ? st.stop : st.position) + 3;
    if (std::isfinite(x)) {
      page_width = std::clamp(x + w * std::cos(turn) + 9.4 * std::sin(turn) + 6, page_width,
                              kPageWidth + kLongestName);
    }
  }
  page_width = std::ceil(page_width);

  // Speed against distance.
  const Panel speed{std::ceil(90 + rise), 300};
  double vmax = 20;
  for (const timing::LimitRun& l : r.limits) {
    if (l.to > a.from && l.from < a.to) vmax = std::max(vmax, l.kmh);
  }
  vmax = std::ceil(vmax / 20) * 20;
  frame(body, speed, "Speed (km/h): the limit along the route and the " + run_label, rise + 14);
  const auto vy = [&](double v) { return speed.bottom() - v / vmax * speed.height; };
  for (const double v : ticks(0, vmax, tick_step(vmax, 6), 100)) {
    body.line(kLeft, vy(v), kRight, vy(v), "stroke=" + colour(kGridColour));
    body.text(kLeft - 6, vy(v) + 4, num(v, 0), "text-anchor=\"end\"");
  }
  distance_axis(body, speed, a, in);
  stations(body, speed, a, r, true, page_width);
  {
    std::vector<std::pair<double, double>> limit;
    for (const timing::LimitRun& l : r.limits) {
      const double from = std::max(l.from, a.from), to = std::min(l.to, a.to);
      if (!(to > from)) continue;
      limit.emplace_back(a.x(from), vy(l.kmh));
      limit.emplace_back(a.x(to), vy(l.kmh));
    }
    body.polyline(limit, "id=\"limit\" fill=\"none\" stroke=" + colour(kLimitColour) +
                             " stroke-width=\"1.5\"");
    if (fastest) {
      std::vector<std::pair<double, double>> f;
      for (const timing::ProfilePoint& p : fastest->profile)
        f.emplace_back(a.x(p.position), vy(p.kmh));
      body.polyline(f, "id=\"speed-fastest\" fill=\"none\" stroke=" + colour(kFastestColour) +
                           " stroke-width=\"1.2\"");
    }
    std::vector<std::pair<double, double>> run;
    for (const timing::ProfilePoint& p : r.profile) run.emplace_back(a.x(p.position), vy(p.kmh));
    body.polyline(run, "id=\"speed-run\" fill=\"none\" stroke=" + colour(kRunColour) +
                           " stroke-width=\"2\" stroke-linejoin=\"round\"");
    // Coasting, over the run's line: each stretch where the driver neither powers nor brakes.
    std::vector<std::pair<double, double>> stretch;
    const auto flush = [&] {
      if (stretch.size() > 1) {
        body.polyline(stretch, "class=\"coasting\" fill=\"none\" stroke=" + colour(kCoastColour) +
                                   " stroke-width=\"3.5\"");
      }
      stretch.clear();
    };
    for (size_t i = 0; i < r.trace.size(); ++i) {
      const bool coasting = r.trace[i].drive == timing::Drive::kCoast;
      const bool ends_one = i > 0 && r.trace[i - 1].drive == timing::Drive::kCoast;
      if (coasting || ends_one) stretch.emplace_back(a.x(r.trace[i].position), vy(r.trace[i].kmh));
      if (!coasting) flush();
    }
    flush();
  }

  // Time against distance, time rising upward.
  const Panel time{speed.bottom() + 90, 420};
  double t0 = r.start, t1 = r.profile.empty() ? r.start + 60 : r.profile.back().time;
  for (const timing::StationTimes& st : r.stations) {
    for (const auto& t : {st.scheduled_arrival, st.scheduled_departure}) {
      if (t) t0 = std::min(t0, *t), t1 = std::max(t1, *t);
    }
  }
  // A step the clock reads easily: 1, 2, 5, 10, 15, 20 or 30 minutes, or whole hours.
  double tstep = 60;
  for (const double minutes : {1, 2, 5, 10, 15, 20, 30, 60, 120, 180, 240, 360, 720}) {
    tstep = minutes * 60;
    if ((t1 - t0) / tstep <= 10) break;
  }
  if ((t1 - t0) / tstep > 10) tstep = std::max(tstep, tick_step((t1 - t0) / 3600, 10) * 3600);
  t0 = std::floor(t0 / tstep) * tstep;
  t1 = std::max(std::ceil(t1 / tstep) * tstep, t0 + tstep);
  frame(body, time, "Time: the timetable's scheduled points and the " + run_label, 8);
  const auto ty = [&](double t) { return time.bottom() - (t - t0) / (t1 - t0) * time.height; };
  for (const double t : ticks(t0, t1, tstep, 1000)) {
    body.line(kLeft, ty(t), kRight, ty(t), "stroke=" + colour(kGridColour));
    const auto minute = static_cast<long long>(std::llround(t / 60));
    char label[48];
    std::snprintf(label, sizeof label, "%lld:%02lld", minute / 60, minute % 60);
    body.text(kLeft - 6, ty(t) + 4, label, "text-anchor=\"end\"");
  }
  distance_axis(body, time, a, in);
  stations(body, time, a, r, false, page_width);
  {
    if (fastest) {
      std::vector<std::pair<double, double>> f;
      for (const timing::ProfilePoint& p : fastest->profile)
        f.emplace_back(a.x(p.position), ty(p.time));
      body.polyline(f, "id=\"time-fastest\" fill=\"none\" stroke=" + colour(kFastestColour) +
                           " stroke-width=\"1.2\"");
    }
    std::vector<std::pair<double, double>> run;
    for (const timing::ProfilePoint& p : r.profile) run.emplace_back(a.x(p.position), ty(p.time));
    body.polyline(run, "id=\"time-run\" fill=\"none\" stroke=" + colour(kRunColour) +
                           " stroke-width=\"2\" stroke-linejoin=\"round\"");
  }
  // The scheduled points, and beside them the name of the station and what cannot be kept;
  // a label with no room is left to its point's tooltip.
  LabelSpace space(kLeft + 1, time.top + 1, page_width - 4, time.bottom() - 1);
  for (const timing::StationTimes& st : r.stations) {
    const auto& t = st.scheduled_departure ? st.scheduled_departure : st.scheduled_arrival;
    if (!t) continue;
    space.block(text_box(a.x(st.stop), ty(*t) + 6, 13, 15, Anchor::kMiddle));
  }
  for (const timing::Section& sec : r.sections) {
    if (sec.feasible) continue;
    const timing::StationTimes& to = r.stations[sec.to];
    const auto& t = to.scheduled_departure ? to.scheduled_departure : to.scheduled_arrival;
    const std::string label = "cannot be kept: " + num(-sec.margin / 60, 1) + " min short";
    const double w = text_width(label, 11, true);
    const auto place = [&] {
      for (const double dy : {20.0, 34.0, -20.0}) {
        for (const Anchor anchor : {Anchor::kEnd, Anchor::kStart}) {
          const double x = a.x(to.stop) + (anchor == Anchor::kEnd ? -8 : 8);
          if (!space.take(text_box(x, ty(*t) + dy, w, 11, anchor))) continue;
          body.label(x, ty(*t) + dy, label, anchor, 0, "class=\"late\"");
          return;
        }
      }
    };
    place();
  }
  for (const size_t i : by_priority(r)) {
    const timing::StationTimes& st = r.stations[i];
    const auto& t = st.scheduled_departure ? st.scheduled_departure : st.scheduled_arrival;
    if (!t) continue;
    const double w = text_width(st.name, 10);
    const auto place = [&] {
      for (const double dy : {-6.0, 14.0, -18.0, 26.0}) {
        for (const Anchor anchor : {Anchor::kStart, Anchor::kEnd}) {
          const double x = a.x(st.stop) + (anchor == Anchor::kStart ? 8 : -8);
          if (!space.take(text_box(x, ty(*t) + dy, w, 10, anchor))) continue;
          body.label(x, ty(*t) + dy, st.name, anchor, 0, "class=\"small\"");
          return;
        }
      }
    };
    place();
  }
  for (const timing::StationTimes& st : r.stations) {
    const auto& t = st.scheduled_departure ? st.scheduled_departure : st.scheduled_arrival;
    if (!t) continue;
    body.circle(a.x(st.stop), ty(*t), 5,
                "class=\"scheduled\" fill=\"white\" stroke=" + colour(kScheduleColour) +
                    " stroke-width=\"2.5\"",
                st.name + " " + clock_of(*t));
  }

  // Legend.
  const double ly = time.bottom() + 58;
  body.line(kLeft, ly, kLeft + 24, ly, "stroke=" + colour(kLimitColour) + " stroke-width=\"2\"");
  body.text(kLeft + 30, ly + 4, "speed limit along the route (slowdowns included)",
            "class=\"small\"");
  body.line(kLeft + 520, ly, kLeft + 544, ly,
            "stroke=" + colour(kRunColour) + " stroke-width=\"2\"");
  body.text(kLeft + 550, ly + 4, run_label, "class=\"small\"");
  body.circle(kLeft + 660, ly, 5,
              "fill=\"white\" stroke=" + colour(kScheduleColour) + " stroke-width=\"2.5\"");
  body.text(kLeft + 670, ly + 4, "scheduled time", "class=\"small\"");
  body.line(kLeft + 790, ly - 8, kLeft + 790, ly + 8,
            "stroke=" + colour(kStationColour) + " stroke-dasharray=\"3 3\"");
  body.text(kLeft + 798, ly + 4, "station (stop point where the train stops)", "class=\"small\"");
  double height = ly + 24;
  if (fastest || r.kind != timing::RunKind::kFastest) {
    const double y2 = ly + 22;
    body.line(kLeft, y2, kLeft + 24, y2,
              "stroke=" + colour(kCoastColour) + " stroke-width=\"3.5\"");
    body.text(kLeft + 30, y2 + 4, "coasting (no power, no brake)", "class=\"small\"");
    if (fastest) {
      body.line(kLeft + 520, y2, kLeft + 544, y2,
                "stroke=" + colour(kFastestColour) + " stroke-width=\"1.5\"");
      body.text(kLeft + 550, y2 + 4, "fastest run", "class=\"small\"");
    }
    height = y2 + 24;
  }

  return body.document(page_width, height, title + ": " + run_label,
                       ".late{font-size:11px;font-weight:bold;fill:#c0392b}");
}

}  // namespace scenario::tool

#include "tool/timing_report.h"

#include <cmath>
#include <cstdio>

#include "inspect/json_text.h"
#include "tool/run_options.h"

namespace scenario::tool {
namespace {

std::string format(const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

std::string minutes(double seconds) { return format("%.1f min", seconds / 60); }

std::string optional_clock(const std::optional<double>& t) { return t ? clock_of(*t) : "-"; }

// Names are UTF-8: pad by characters, not bytes.
std::string padded(const std::string& s, size_t width) {
  size_t chars = 0;
  for (unsigned char c : s) chars += (c & 0xC0) != 0x80;
  return s + std::string(chars < width ? width - chars : 1, ' ');
}

// A value wider than its column (a run of a day at 5 km/h) still stands apart from the last.
std::string right(const std::string& s, size_t width) {
  return s.size() < width ? std::string(width - s.size(), ' ') + s : " " + s;
}

// The run's times, positions, speeds and energies to two decimals; the model's values, given
// or derived from them, to six.
double d2(double v) { return json_decimal(v, 2); }
double d6(double v) { return json_decimal(v, 6); }

nlohmann::json optional_seconds(const std::optional<double>& t) {
  return t ? nlohmann::json(d2(*t)) : nlohmann::json(nullptr);
}

std::string kwh(double joules) { return format("%.1f", kilowatt_hours(joules)); }

std::string section_name(const timing::RunResult& r, const timing::Section& sec) {
  return r.stations[sec.from].name + " - " + r.stations[sec.to].name;
}

nlohmann::json energy_json(const timing::Energy& e, const timing::TrainModel& m) {
  const auto k = [](double j) { return d2(kilowatt_hours(j)); };
  const auto pantograph = pantograph_kwh(e, m);
  return {
      {"traction_kwh", k(e.traction)},
      {"braking_kwh", k(e.braking)},
      {"pantograph_kwh", pantograph ? nlohmann::json(d2(*pantograph)) : nullptr},
      {"resistance_kwh", k(e.resistance)},
      {"curves_kwh", k(e.curves)},
      {"height_kwh", k(e.height)},
      {"kinetic_kwh", k(e.kinetic)},
  };
}

}  // namespace

double kilowatt_hours(double joules) { return joules / 3.6e6; }

std::optional<double> pantograph_kwh(const timing::Energy& e, const timing::TrainModel& model) {
  if (!model.electric) return std::nullopt;
  // The brake's energy is not counted back: what a regenerating brake returns depends on the
  // line's supply taking it, which the scenario does not tell.
  return kilowatt_hours(e.traction) / model.traction_efficiency;
}

std::string clock_of(double seconds) {
  const auto s = static_cast<long long>(std::llround(seconds));
  const long long a = s < 0 ? -s : s;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%lld:%02lld:%02lld", s < 0 ? "-" : "", a / 3600, a / 60 % 60,
                a % 60);
  return buf;
}

std::string timing_table(const timing::RunResult& r, const timing::TrainModel& model,
                         const std::string& title) {
  const bool fastest = r.kind == timing::RunKind::kFastest;
  const std::string run = fastest ? "" : std::string(run_name(r.kind));
  std::string o = title + ": " + format("%.0f t", r.mass_t) + ", " + format("%.1f m", r.length_m) +
                  ", service braking " + format("%.2f m/s2", r.service_deceleration) +
                  ", maximum " + format("%.0f km/h", model.max_speed_kmh) +
                  (fastest ? "" : "; times of the " + run + " run") + "\n\n";
  o += padded("station", 26) + right("position", 10) + right("km", 10) + right("scheduled", 11) +
       right("arrival", 10) + right("departure", 11) + "\n";
  for (const timing::StationTimes& s : r.stations) {
    const auto& scheduled = s.scheduled_departure ? s.scheduled_departure : s.scheduled_arrival;
    o += padded(s.name, 26) + right(format("%.0f m", s.position), 10) +
         right(format("%.3f", s.km / 1000), 10) + right(optional_clock(scheduled), 11) +
         right(optional_clock(s.arrival), 10) + right(optional_clock(s.departure), 11) + "\n";
  }
  if (r.sections.empty())
    return o + "\nno section: the scenario has fewer than two timed stations\n";
  o += "\n" + padded("section", 48) + right("scheduled", 10) + right("fastest", 10) +
       right("margin", 10) + "\n";
  for (const timing::Section& sec : r.sections) {
    o += padded(section_name(r, sec), 48) + right(minutes(sec.scheduled), 10) +
         right(minutes(sec.fastest), 10) + right(format("%+.1f min", sec.margin / 60), 10) +
         right(format("%+.1f %%", 100 * sec.margin / sec.fastest), 9) +
         (!sec.feasible ? "  cannot be kept"
          : sec.tight   ? "  tight: allowance " + minutes(sec.allowance)
                        : "") +
         "\n";
  }
  o += "\n" + padded("energy in kWh, " + (fastest ? std::string("fastest") : run) + " run", 48) +
       right("time", 10) + right("traction", 10) + right("braking", 10) + right("pantograph", 12) +
       "\n";
  const auto energy_row = [&](const std::string& name, double time, const timing::Energy& e) {
    const auto pantograph = pantograph_kwh(e, model);
    return padded(name, 48) + right(minutes(time), 10) + right(kwh(e.traction), 10) +
           right(kwh(e.braking), 10) + right(pantograph ? format("%.1f", *pantograph) : "-", 12) +
           "\n";
  };
  double total = 0;
  for (const timing::Section& sec : r.sections) {
    o += energy_row(section_name(r, sec), sec.run, sec.energy);
  }
  if (r.stations.back().arrival) total = *r.stations.back().arrival - r.start;
  o += energy_row("whole run", total, r.energy);
  return o;
}

nlohmann::json timing_json(const timing::RunResult& r, const timing::TrainModel& m,
                           const timing::RunOptions& options) {
  const double step = options.step;
  nlohmann::json o;
  o["model"] = {
      {"loco_mass_t", d6(m.loco_mass_t)},
      {"loco_length_m", d6(m.loco_length_m)},
      {"max_effort_kn", d6(m.max_effort_kn)},
      {"power_kw", d6(m.power_kw)},
      {"coach_mass_t", d6(m.coach_mass_t)},
      {"coach_length_m", d6(m.coach_length_m)},
      {"rotating_mass_factor", d6(m.rotating_mass_factor)},
      {"resistance_n_per_kn", {d6(m.resistance_a), d6(m.resistance_b), d6(m.resistance_c)}},
      {"full_brake_per_100_m_s2", d6(m.full_brake_per_100)},
      {"service_brake_fraction", d6(m.service_brake_fraction)},
      {"brake_build_up_s", d6(m.brake_build_up_s)},
      {"max_speed_kmh", d6(m.max_speed_kmh)},
      {"dwell_s", d6(m.dwell_s)},
      {"dwell_from_stations", m.use_station_dwell},
      {"step_m", d6(step)},
      {"train_mass_t", d6(r.mass_t)},
      {"train_length_m", d6(r.length_m)},
      {"service_deceleration_m_s2", d6(r.service_deceleration)},
      {"adhesive_mass_t", d6(m.adhesive_mass_t > 0 ? m.adhesive_mass_t : m.loco_mass_t)},
      {"coaches", m.coaches ? nlohmann::json(*m.coaches) : nlohmann::json(nullptr)},
      {"electric", m.electric},
      {"traction_efficiency", d6(m.traction_efficiency)},
  };
  o["run"] = run_name(r.kind);
  o["allowance"] = {{"percent", d6(options.allowance_percent)},
                    {"per_100km_min", d6(options.allowance_per_100km_min)}};
  o["start"] = d2(r.start);
  nlohmann::json stations = nlohmann::json::array();
  for (const timing::StationTimes& s : r.stations) {
    stations.push_back({
        {"name", s.name},
        {"position", d2(s.position)},
        {"stop", d2(s.stop)},
        {"km", d2(s.km)},
        {"stops", s.stops},
        {"dwell", d2(s.dwell)},
        {"scheduled_arrival", optional_seconds(s.scheduled_arrival)},
        {"scheduled_departure", optional_seconds(s.scheduled_departure)},
        {"fastest_arrival", optional_seconds(s.fastest_arrival)},
        {"fastest_departure", optional_seconds(s.fastest_departure)},
        {"arrival", optional_seconds(s.arrival)},
        {"departure", optional_seconds(s.departure)},
    });
  }
  o["stations"] = std::move(stations);
  nlohmann::json sections = nlohmann::json::array();
  for (const timing::Section& sec : r.sections) {
    sections.push_back({
        {"from", r.stations[sec.from].name},
        {"to", r.stations[sec.to].name},
        {"scheduled", d2(sec.scheduled)},
        {"fastest", d2(sec.fastest)},
        {"margin", d2(sec.margin)},
        {"feasible", sec.feasible},
        {"allowance", d2(sec.allowance)},
        {"tight", sec.tight},
        {"run", d2(sec.run)},
        {"length", d2(sec.length)},
        {"energy", energy_json(sec.energy, m)},
    });
  }
  o["sections"] = std::move(sections);
  o["energy"] = energy_json(r.energy, m);
  nlohmann::json profile = nlohmann::json::array();
  for (const timing::ProfilePoint& p : r.profile) {
    profile.push_back({d2(p.position), d2(p.kmh), d2(p.time)});
  }
  o["profile"] = std::move(profile);
  return o;
}

std::vector<std::string> infeasible_lines(const timing::RunResult& r, const std::string& file) {
  std::vector<std::string> lines;
  for (const timing::Section& sec : r.sections) {
    if (sec.feasible) continue;
    lines.push_back(file + ": section " + section_name(r, sec) + ": scheduled " +
                    minutes(sec.scheduled) + ", fastest " + minutes(sec.fastest));
  }
  return lines;
}

std::vector<std::string> tight_lines(const timing::RunResult& r, const std::string& file) {
  std::vector<std::string> lines;
  for (const timing::Section& sec : r.sections) {
    if (!sec.tight) continue;
    lines.push_back(file + ": warning: section " + section_name(r, sec) + ": margin " +
                    minutes(sec.margin) + ", below the allowance of " + minutes(sec.allowance));
  }
  return lines;
}

}  // namespace scenario::tool

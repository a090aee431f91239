#include "tool/timing_report.h"

#include <cmath>
#include <cstdio>

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

double rounded(double v, double unit) { return std::round(v / unit) * unit; }

nlohmann::json optional_seconds(const std::optional<double>& t) {
  return t ? nlohmann::json(rounded(*t, 0.01)) : nlohmann::json(nullptr);
}

}  // namespace

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
  std::string o = title + ": " + format("%.0f t", r.mass_t) + ", " + format("%.1f m", r.length_m) +
                  ", service braking " + format("%.2f m/s2", r.service_deceleration) +
                  ", maximum " + format("%.0f km/h", model.max_speed_kmh) + "\n\n";
  o += padded("station", 26) + right("position", 10) + right("km", 10) + right("scheduled", 11) +
       right("arrival", 10) + right("departure", 11) + "\n";
  for (const timing::StationTimes& s : r.stations) {
    const auto& scheduled = s.scheduled_departure ? s.scheduled_departure : s.scheduled_arrival;
    o += padded(s.name, 26) + right(format("%.0f m", s.position), 10) +
         right(format("%.3f", s.km / 1000), 10) + right(optional_clock(scheduled), 11) +
         right(optional_clock(s.fastest_arrival), 10) +
         right(optional_clock(s.fastest_departure), 11) + "\n";
  }
  if (r.sections.empty())
    return o + "\nno section: the scenario has fewer than two timed stations\n";
  o += "\n" + padded("section", 48) + right("scheduled", 10) + right("fastest", 10) +
       right("margin", 10) + "\n";
  for (const timing::Section& sec : r.sections) {
    const std::string name = r.stations[sec.from].name + " - " + r.stations[sec.to].name;
    o += padded(name, 48) + right(minutes(sec.scheduled), 10) + right(minutes(sec.fastest), 10) +
         right(format("%+.1f min", sec.margin / 60), 10) +
         right(format("%+.1f %%", 100 * sec.margin / sec.fastest), 9) +
         (sec.feasible ? "" : "  cannot be kept") + "\n";
  }
  return o;
}

nlohmann::json timing_json(const timing::RunResult& r, const timing::TrainModel& m, double step) {
  nlohmann::json o;
  o["model"] = {
      {"loco_mass_t", m.loco_mass_t},
      {"loco_length_m", m.loco_length_m},
      {"max_effort_kn", m.max_effort_kn},
      {"power_kw", m.power_kw},
      {"coach_mass_t", m.coach_mass_t},
      {"coach_length_m", m.coach_length_m},
      {"rotating_mass_factor", m.rotating_mass_factor},
      {"resistance_n_per_kn", {m.resistance_a, m.resistance_b, m.resistance_c}},
      {"full_brake_per_100_m_s2", m.full_brake_per_100},
      {"service_brake_fraction", m.service_brake_fraction},
      {"max_speed_kmh", m.max_speed_kmh},
      {"dwell_s", m.dwell_s},
      {"dwell_from_stations", m.use_station_dwell},
      {"step_m", step},
      {"train_mass_t", r.mass_t},
      {"train_length_m", r.length_m},
      {"service_deceleration_m_s2", r.service_deceleration},
  };
  o["start"] = r.start;
  nlohmann::json stations = nlohmann::json::array();
  for (const timing::StationTimes& s : r.stations) {
    stations.push_back({
        {"name", s.name},
        {"position", s.position},
        {"stop", s.stop},
        {"km", s.km},
        {"stops", s.stops},
        {"dwell", s.dwell},
        {"scheduled_arrival", optional_seconds(s.scheduled_arrival)},
        {"scheduled_departure", optional_seconds(s.scheduled_departure)},
        {"fastest_arrival", optional_seconds(s.fastest_arrival)},
        {"fastest_departure", optional_seconds(s.fastest_departure)},
    });
  }
  o["stations"] = std::move(stations);
  nlohmann::json sections = nlohmann::json::array();
  for (const timing::Section& sec : r.sections) {
    sections.push_back({
        {"from", r.stations[sec.from].name},
        {"to", r.stations[sec.to].name},
        {"scheduled", rounded(sec.scheduled, 0.01)},
        {"fastest", rounded(sec.fastest, 0.01)},
        {"margin", rounded(sec.margin, 0.01)},
        {"feasible", sec.feasible},
    });
  }
  o["sections"] = std::move(sections);
  nlohmann::json profile = nlohmann::json::array();
  for (const timing::ProfilePoint& p : r.profile) {
    profile.push_back({rounded(p.position, 0.01), rounded(p.kmh, 0.01), rounded(p.time, 0.01)});
  }
  o["profile"] = std::move(profile);
  return o;
}

std::vector<std::string> infeasible_lines(const timing::RunResult& r, const std::string& file) {
  std::vector<std::string> lines;
  for (const timing::Section& sec : r.sections) {
    if (sec.feasible) continue;
    lines.push_back(file + ": section " + r.stations[sec.from].name + " - " +
                    r.stations[sec.to].name + ": scheduled " + minutes(sec.scheduled) +
                    ", fastest " + minutes(sec.fastest));
  }
  return lines;
}

}  // namespace scenario::tool

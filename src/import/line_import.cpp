#include "import/line_import.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <stdexcept>

#include "decompile/compile_in_memory.h"
#include "decompile/source_text.h"
#include "format/cp1252.h"
#include "import/gradient_fit.h"
#include "import/kilometrage_fit.h"
#include "import/names.h"
#include "inspect/run_input.h"
#include "timing/running_time.h"

namespace scenario::import {
namespace {

using decompile::BoardRow;
using decompile::LineRows;
using decompile::SpeedBoardRow;
using decompile::StationRow;
using decompile::Step;
using decompile::TrainRows;

// How far from the track a place may stand and still be put on it, metres.
constexpr double kStationReach = 80;
constexpr double kTrackNodeReach = 15;
// A board per this many metres of route at most: the reader's blocks.
constexpr int32_t kBlock = 50;
// The general table's slots shared by boards (80 down) and stations (1 up).
constexpr size_t kSharedSlots = 80;
// Stations kept at most, so that twenty slots remain for the boards.
constexpr size_t kMaxStations = 60;

int32_t round_to(double metres, int32_t step) {
  return static_cast<int32_t>(std::lround(metres / step)) * step;
}

// The path as a polyline in metres, with its cumulative distance, and the nearest point on it.
class Polyline {
 public:
  explicit Polyline(std::vector<PlanePoint> points) : p_(std::move(points)), s_(p_.size(), 0) {
    for (size_t i = 1; i < p_.size(); ++i)
      s_[i] = s_[i - 1] + std::hypot(p_[i].x - p_[i - 1].x, p_[i].y - p_[i - 1].y);
    for (const PlanePoint& q : p_) {
      west_ = std::min(west_, q.x), east_ = std::max(east_, q.x);
      south_ = std::min(south_, q.y), north_ = std::max(north_, q.y);
    }
    for (size_t i = 0; i + 1 < p_.size(); ++i) {
      const auto a = cell(p_[i]), b = cell(p_[i + 1]);
      for (int64_t x = std::min(a.first, b.first); x <= std::max(a.first, b.first); ++x) {
        for (int64_t y = std::min(a.second, b.second); y <= std::max(a.second, b.second); ++y)
          grid_[{x, y}].push_back(i);
      }
    }
  }
  const std::vector<PlanePoint>& points() const { return p_; }
  double distance_at(size_t i) const { return s_[i]; }
  double length() const { return s_.back(); }

  struct Foot {
    double distance = 0;  // along the polyline
    double offset = 1e300;
    size_t segment = 0;
  };
  // The nearest point within reach (offset stays huge when there is none).
  Foot nearest(PlanePoint q, double reach) const {
    Foot best;
    if (q.x < west_ - reach || q.x > east_ + reach || q.y < south_ - reach || q.y > north_ + reach)
      return best;
    const auto lo = cell({q.x - reach, q.y - reach}), hi = cell({q.x + reach, q.y + reach});
    for (int64_t x = lo.first; x <= hi.first; ++x) {
      for (int64_t y = lo.second; y <= hi.second; ++y) {
        const auto it = grid_.find({x, y});
        if (it == grid_.end()) continue;
        for (size_t i : it->second) {
          const PlanePoint a = p_[i], b = p_[i + 1];
          const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
          const double t =
              len2 > 0 ? std::clamp(((q.x - a.x) * dx + (q.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
          const double d = std::hypot(a.x + t * dx - q.x, a.y + t * dy - q.y);
          if (d < best.offset) best = {s_[i] + t * (s_[i + 1] - s_[i]), d, i};
        }
      }
    }
    if (best.offset > reach) best.offset = 1e300;
    return best;
  }

 private:
  static constexpr double kCell = 250;
  static std::pair<int64_t, int64_t> cell(PlanePoint q) {
    return {static_cast<int64_t>(std::floor(q.x / kCell)),
            static_cast<int64_t>(std::floor(q.y / kCell))};
  }
  std::vector<PlanePoint> p_;
  std::vector<double> s_;
  double west_ = 1e300, east_ = -1e300, south_ = 1e300, north_ = -1e300;
  std::map<std::pair<int64_t, int64_t>, std::vector<size_t>> grid_;
};

struct PlacedStation {
  const RailNode* node = nullptr;
  std::string name;  // Windows-1252, capitals
  double distance = 0, offset = 0, position = 0;
  bool halt = false;
};

// Where the objects of each row kind came from, for the report.
struct Sources {
  std::map<std::string, std::vector<std::string>> of;
  void add(const std::string& kind, const std::string& what) {
    auto& v = of[kind];
    if (std::find(v.begin(), v.end(), what) == v.end()) v.push_back(what);
  }
};

std::string osm_ref(const RailNode& n) {
  return (n.area ? "way " : "node ") + std::to_string(n.id);
}

bool yes(const Tags& tags, std::string_view key) {
  const auto v = tag(tags, key);
  return v && *v != "no";
}

std::string km_text(double metres) {
  const int64_t m = std::llround(std::abs(metres));
  char buf[32];
  std::snprintf(buf, sizeof buf, "Km %lld+%03lld", static_cast<long long>(m / 1000),
                static_cast<long long>(m % 1000));
  return buf;
}

std::string km_words(double metres) { return km_text(metres).substr(3); }

// A board line's text: a name cut to fit the built-in's widest line.
std::string board_name(const std::string& cp1252_upper) { return cp1252_upper.substr(0, 16); }

struct Work {
  const OsmExtract& osm;
  const RailPath& path;
  const Surveyor& earth;
  const ImportSettings& settings;
  ImportResult result;
  Sources sources;
  nlohmann::json assumptions = nlohmann::json::array();

  void assume(const std::string& text) {
    result.warnings.push_back(text);
    assumptions.push_back(text);
  }

  std::map<std::string, std::string> converted;
  std::string convert(const std::string& utf8) {
    if (const auto it = converted.find(utf8); it != converted.end()) return it->second;
    bool transliterated = false;
    std::string out = upper_cp1252(name_to_cp1252(utf8, transliterated));
    // A comma would cut the field, and a double quote cannot be quoted.
    std::replace(out.begin(), out.end(), ',', ' ');
    std::replace(out.begin(), out.end(), '"', '\'');
    if (transliterated) {
      assume("the name '" + utf8 + "' has letters Windows-1252 lacks: written '" +
             cp1252_to_utf8(out) + "'");
    }
    converted.emplace(utf8, out);
    return out;
  }
};

}  // namespace

ImportResult import_line(const OsmExtract& osm, const RailPath& path, const Surveyor& earth,
                         const ImportSettings& settings) {
  Work w{osm, path, earth, settings, {}, {}, {}, {}};
  ImportResult& r = w.result;

  // The path in metres, scaled so that its length is the ellipsoid's.
  double ellipsoid = 0, projected = 0;
  std::vector<PlanePoint> plane(path.points.size());
  for (size_t i = 0; i < path.points.size(); ++i) {
    plane[i] = earth.project(path.points[i]);
    if (i > 0) {
      ellipsoid += earth.distance(path.points[i - 1], path.points[i]);
      projected += std::hypot(plane[i].x - plane[i - 1].x, plane[i].y - plane[i - 1].y);
    }
  }
  if (ellipsoid > 1'050'000) {
    throw ImportError("the route is " + std::to_string(std::lround(ellipsoid / 1000)) +
                          " km long, longer than the reader's 1,000 km",
                      1);
  }
  const double scale = projected > 0 ? ellipsoid / projected : 1;
  for (PlanePoint& p : plane) p = {p.x * scale, p.y * scale};
  const Polyline line(plane);
  auto to_plane = [&](GeoPoint g) {
    const PlanePoint p = earth.project(g);
    return PlanePoint{p.x * scale, p.y * scale};
  };

  // Curves first: the route positions of everything else come from the fit's map.
  CurveFit curves;
  try {
    curves = fit_curves(plane);
  } catch (const std::invalid_argument& e) {
    throw ImportError(std::string("the path cannot be fitted: ") + e.what(), 1);
  }
  auto position = [&](double distance) { return curves.map.route_position(distance); };
  r.curves = curves;

  // Stations and halts beside the path, in route order.
  std::vector<PlacedStation> stations;
  std::set<std::string> seen_names;
  const RailNode* origin = nullptr;
  const RailNode* destination = nullptr;
  if (!settings.from.empty()) origin = &find_station(osm, settings.from);
  if (!settings.to.empty()) destination = &find_station(osm, settings.to);
  for (const RailNode& n : osm.nodes) {
    const auto railway = tag(n.tags, "railway");
    if (!(railway == "station" || railway == "halt" || railway == "stop") || !n.tags.count("name"))
      continue;
    const bool end = &n == origin || &n == destination;
    const Polyline::Foot foot =
        line.nearest(to_plane(n.at), end ? 600 : (n.area ? 300 : kStationReach));
    if (foot.offset > 1e299) continue;
    PlacedStation s{&n,          w.convert(n.tags.at("name")), foot.distance,
                    foot.offset, position(foot.distance),      railway != "station"};
    if (!seen_names.insert(s.name).second && !end) continue;  // a node and an area of one station
    stations.push_back(s);
  }
  std::sort(stations.begin(), stations.end(),
            [](const auto& a, const auto& b) { return a.distance < b.distance; });
  // One entry per name, the nearest to the track.
  {
    std::map<std::string, PlacedStation> best;
    for (const PlacedStation& s : stations) {
      auto it = best.find(s.name);
      const bool end = s.node == origin || s.node == destination;
      if (it == best.end() || end ||
          (s.offset < it->second.offset && it->second.node != origin &&
           it->second.node != destination))
        best[s.name] = s;
    }
    stations.clear();
    for (auto& [name, s] : best) stations.push_back(s);
    std::sort(stations.begin(), stations.end(),
              [](const auto& a, const auto& b) { return a.distance < b.distance; });
  }
  if (stations.size() < 2) throw ImportError("fewer than two stations along the path", 1);
  auto index_of = [&](const RailNode* n, size_t fallback) {
    for (size_t i = 0; i < stations.size(); ++i) {
      if (stations[i].node == n) return i;
    }
    return fallback;
  };
  const size_t first = origin ? index_of(origin, 0) : 0;
  const size_t last =
      destination ? index_of(destination, stations.size() - 1) : stations.size() - 1;
  if (first >= last)
    throw ImportError("the destination does not lie after the origin along the path", 1);
  stations = std::vector<PlacedStation>(stations.begin() + first, stations.begin() + last + 1);
  // The general table holds stations and boards in 80 slots: past kMaxStations, the ends and the
  // stations named by --stop stay, and of the rest an even choice along the line.
  if (stations.size() > kMaxStations) {
    std::vector<bool> keep(stations.size(), false);
    keep.front() = keep.back() = true;
    size_t kept = 2;
    for (size_t i = 1; i + 1 < stations.size(); ++i) {
      for (const std::string& name : settings.stops) {
        bool transliterated = false;
        if (!keep[i] && kept < kMaxStations &&
            upper_cp1252(name_to_cp1252(name, transliterated)) == stations[i].name) {
          keep[i] = true;
          ++kept;
        }
      }
    }
    const size_t room = kMaxStations - kept;
    const size_t rest = stations.size() - kept;
    size_t taken_so_far = 0, seen = 0;
    for (size_t i = 1; i + 1 < stations.size(); ++i) {
      if (keep[i]) continue;
      // The seen-th of rest stations is kept when it crosses the next share of room.
      if ((seen + 1) * room / rest > taken_so_far) {
        keep[i] = true;
        ++taken_so_far;
      }
      ++seen;
    }
    std::vector<PlacedStation> chosen_few;
    for (size_t i = 0; i < stations.size(); ++i) {
      if (keep[i]) chosen_few.push_back(stations[i]);
    }
    w.assume(std::to_string(stations.size() - chosen_few.size()) + " of the " +
             std::to_string(stations.size()) +
             " stations on the route left out: the general table holds " +
             std::to_string(kMaxStations) + " beside the boards");
    stations = std::move(chosen_few);
  }
  const double destination_position = stations.back().position;
  int32_t route_length =
      static_cast<int32_t>(std::min<double>(destination_position + kRunOut, curves.route_end));
  if (route_length > 1'000'000) {
    throw ImportError("the route is " + std::to_string(route_length / 1000) +
                          " km long, longer than the reader's 1,000 km",
                      1);
  }
  if (destination_position + kRunOut > curves.route_end + 1) {
    w.assume("the mapped track ends " +
             std::to_string(std::lround(curves.route_end - destination_position)) +
             " m past the destination: the route ends there, short of the 4,500 m run-out");
  }
  if (path.lead < kLead - 1) {
    w.assume("the mapped track starts " + std::to_string(std::lround(stations.front().position)) +
             " m before the origin");
  }
  r.line.route_length = route_length;
  r.line.curves.clear();
  for (const CurveRow& c : rows_up_to(curves.rows, route_length)) {
    r.line.curves.push_back({c.left, c.curve_class, c.start, c.length});
  }

  // Which way the path runs along each of its ways, for the direction-dependent tags.
  auto segment_forward = [&](size_t i) {
    const RailWay& way = osm.ways[path.way_of[i]];
    for (size_t k = 0; k + 1 < way.nodes.size(); ++k) {
      if (way.nodes[k] == path.nodes[i] && way.nodes[k + 1] == path.nodes[i + 1]) return true;
      if (way.nodes[k + 1] == path.nodes[i] && way.nodes[k] == path.nodes[i + 1]) return false;
    }
    return true;
  };
  for (size_t i = 0; i < path.way_of.size(); ++i)
    w.sources.add("curva", "way " + std::to_string(osm.ways[path.way_of[i]].id));

  // Kilometre marks: railway:position(:exact) on nodes by the track, stations included.
  std::vector<KilometreMark> marks;
  for (const RailNode& n : osm.nodes) {
    const auto text = tag(n.tags, "railway:position:exact") ? tag(n.tags, "railway:position:exact")
                                                            : tag(n.tags, "railway:position");
    if (!text) continue;
    const auto km = parse_kilometre(*text);
    if (!km) continue;
    const Polyline::Foot foot = line.nearest(to_plane(n.at), kStationReach);
    if (foot.offset > 1e299) continue;
    const double p = position(foot.distance);
    if (p < 0 || p > route_length) continue;
    marks.push_back({p, *km});
    w.sources.add("progressiva", osm_ref(n));
  }
  const KilometrageFit km = fit_kilometrage(marks, route_length);
  if (!km.from_marks)
    w.assume("no railway:position tags along the route: one kilometrage rising from 0");
  for (size_t i = 0; i < km.rejected.size(); ++i) {
    if (km.rejected[i])
      w.assume("a kilometre mark of " + km_words(marks[i].kilometre) + " at " +
               std::to_string(std::lround(marks[i].position)) +
               " m disagrees with its neighbours: set aside");
  }
  decompile::Progressive* slots[3] = {&r.line.uno, &r.line.due, &r.line.tre};
  for (size_t i = 0; i < km.progressives.size() && i < 3; ++i) {
    *slots[i] = {km.progressives[i].start, km.progressives[i].value, km.progressives[i].direction};
  }
  r.line.background_uno = settings.background;
  r.line.repetition_start = settings.repetition_start;
  r.line.repetition_end = settings.repetition_end;

  // Tunnels and bridges: runs of the path on ways so tagged.
  struct Structure {
    bool tunnel = false;
    double from = 0, to = 0;  // route positions
    std::string name;
    int64_t way = 0;
  };
  std::vector<Structure> structures;
  for (size_t i = 0; i < path.way_of.size(); ++i) {
    const RailWay& way = osm.ways[path.way_of[i]];
    for (const bool tunnel : {true, false}) {
      if (!yes(way.tags, tunnel ? "tunnel" : "bridge")) continue;
      const double a = position(line.distance_at(i)), b = position(line.distance_at(i + 1));
      if (!structures.empty() && structures.back().tunnel == tunnel &&
          structures.back().way == way.id && std::abs(structures.back().to - a) < 1) {
        structures.back().to = b;
        continue;
      }
      auto name = tag(way.tags, tunnel ? "tunnel:name" : "bridge:name");
      if (!name) name = tag(way.tags, "name");
      structures.push_back({tunnel, a, b, name ? *name : "", way.id});
    }
  }

  // Gradients from the elevation along the path.
  std::vector<ElevationSample> samples;
  std::vector<Span> spans;
  for (const Structure& s : structures) {
    spans.push_back({s.from, s.to});
    w.sources.add("pendenza", "way " + std::to_string(s.way));
  }
  if (earth.elevation) {
    const double step = 25;
    size_t seg = 0;
    for (double d = 0; d <= line.length(); d += step) {
      while (seg + 2 < path.points.size() && line.distance_at(seg + 1) < d) ++seg;
      const double len = line.distance_at(seg + 1) - line.distance_at(seg);
      const double t = len > 0 ? std::clamp((d - line.distance_at(seg)) / len, 0.0, 1.0) : 0;
      const GeoPoint a = path.points[seg], b = path.points[seg + 1];
      const GeoPoint g{a.lat + t * (b.lat - a.lat), a.lon + t * (b.lon - a.lon)};
      const auto z = earth.elevation(g);
      const double p = position(d);
      if (p > route_length) break;
      samples.push_back({p, z.value_or(0), z.has_value()});
    }
  }
  const GradientFit grades = fit_gradients(samples, spans, route_length);
  for (const GradientRow& g : grades.rows) r.line.gradients.push_back({g.position, g.gradient});
  if (!earth.elevation) {
    w.assume("no elevation model given (--dem): the line is level throughout");
  } else {
    for (const Span& u : grades.uncovered) {
      w.assume("no elevation data from " + std::to_string(std::lround(u.from)) + " m to " +
               std::to_string(std::lround(u.to)) + " m (" +
               km_text(kilometre_at(km.progressives, u.from)) + " to " +
               km_text(kilometre_at(km.progressives, u.to)) + "): level there");
    }
  }

  // Line speed: maxspeed of each way in the direction of travel.
  struct SpeedRun {
    double from = 0;
    int32_t kmh = 0;
    std::array<int32_t, 3> ranks{};
  };
  std::vector<SpeedRun> speeds;
  {
    std::optional<double> carried;
    bool missing = false;
    std::vector<std::optional<double>> per_segment(path.way_of.size());
    for (size_t i = 0; i < path.way_of.size(); ++i) {
      const RailWay& way = osm.ways[path.way_of[i]];
      auto v = tag(way.tags, segment_forward(i) ? "maxspeed:forward" : "maxspeed:backward");
      if (!v) v = tag(way.tags, "maxspeed");
      if (v) per_segment[i] = parse_speed(*v);
      if (per_segment[i]) {
        w.sources.add("indicatori_vmax", "way " + std::to_string(way.id));
        w.sources.add("velocita", "way " + std::to_string(way.id));
      }
    }
    // A way without maxspeed keeps the speed of the way before it (of the first with one, at
    // the start); a line without any runs at 100 km/h.
    for (const auto& v : per_segment) {
      if (v && !carried) carried = v;
    }
    if (!carried) {
      carried = 100;
      w.assume("no maxspeed on any way of the route: 100 km/h throughout");
    }
    for (size_t i = 0; i < per_segment.size(); ++i) {
      if (per_segment[i]) {
        carried = per_segment[i];
      } else {
        missing = true;
      }
      const int32_t kmh = static_cast<int32_t>(std::lround(*carried / 5) * 5);
      const double from = std::max(0.0, position(line.distance_at(i)));
      if (speeds.empty() || speeds.back().kmh != kmh)
        speeds.push_back({from, kmh, {kmh, kmh, kmh}});
    }
    if (missing) w.assume("ways without maxspeed keep the speed of the way before them");
  }
  // Italian speed signs with their ranks: railway:signal:speed_limit:speed "A;B;C" on a node by
  // the track sets the three speeds of the change it stands at.
  for (const RailNode& n : osm.nodes) {
    const auto v = tag(n.tags, "railway:signal:speed_limit:speed");
    if (!v) continue;
    const Polyline::Foot foot = line.nearest(to_plane(n.at), kTrackNodeReach * 2);
    if (foot.offset > 1e299) continue;
    std::vector<int32_t> ranks;
    std::string_view rest = *v;
    while (!rest.empty()) {
      const size_t semi = std::min(rest.find(';'), rest.size());
      if (const auto s = parse_speed(rest.substr(0, semi)))
        ranks.push_back(static_cast<int32_t>(std::lround(*s)));
      rest.remove_prefix(std::min(semi + 1, rest.size()));
    }
    if (ranks.empty()) continue;
    while (ranks.size() < 3) ranks.push_back(ranks.back());
    const double p = position(foot.distance);
    for (SpeedRun& s : speeds) {
      if (std::abs(s.from - p) < 300) {
        s.ranks = {ranks[0], ranks[1], ranks[2]};
        s.kmh = ranks[1];
        w.sources.add("indicatori_vmax", osm_ref(n));
      }
    }
  }
  // Runs shorter than 200 m (a way mapped short between two of one speed) are folded in.
  {
    std::vector<SpeedRun> kept;
    for (size_t i = 0; i < speeds.size(); ++i) {
      const double to = i + 1 < speeds.size() ? speeds[i + 1].from : route_length;
      if (to - speeds[i].from < 200 && i > 0 && i + 1 < speeds.size()) continue;
      if (!kept.empty() && kept.back().kmh == speeds[i].kmh && kept.back().ranks == speeds[i].ranks)
        continue;
      kept.push_back(speeds[i]);
    }
    speeds = kept;
  }

  // The blocks items take: boards and signals each need one of their own.
  std::set<int32_t> taken;
  auto block_of = [](int32_t p) { return static_cast<int32_t>(std::lround(p / 50.0)); };
  auto free_position = [&](int32_t p, int dir) {
    for (int k = 0; k < 20; ++k) {
      if (p >= kBlock && p <= route_length && !taken.count(block_of(p))) return p;
      p += dir * kBlock;
    }
    return -1;
  };

  // Speed boards where the speed changes, announced by two boards before a lower one.
  for (size_t i = 0; i < speeds.size(); ++i) {
    const int32_t p = i == 0 ? kBlock : round_to(speeds[i].from, kBlock);
    if (p > route_length) continue;
    const auto& s = speeds[i];
    auto board = [&](int32_t at, int code) {
      const int32_t q = free_position(at, -1);
      if (q < 0) return;
      taken.insert(block_of(q));
      SpeedBoardRow b;
      b.position = q;
      b.first = s.ranks;
      b.second = s.ranks;
      b.first_code = b.second_code = code;
      r.line.speed_boards.push_back(b);
    };
    if (i > 0 && s.kmh < speeds[i - 1].kmh) {
      board(p - 450, 2);
      board(p - 200, 1);
    }
    board(p, 0);
    r.train.speeds.push_back({i == 0 ? 0 : p, s.kmh});
  }
  std::sort(r.line.speed_boards.begin(), r.line.speed_boards.end(),
            [](const auto& a, const auto& b) { return a.position < b.position; });

  // Line-side boards: level crossings (with their kilometre), tunnel mouths and bridges.
  struct Board {
    int priority;
    int32_t position;
    std::string text;
    std::string from;
  };
  std::vector<Board> boards;
  for (const RailNode& n : osm.nodes) {
    const auto railway = tag(n.tags, "railway");
    if (railway != "level_crossing" && railway != "crossing") continue;
    const Polyline::Foot foot = line.nearest(to_plane(n.at), kTrackNodeReach);
    if (foot.offset > 1e299) continue;
    const double p = position(foot.distance);
    if (p < kBlock || p > route_length) continue;
    const std::string text =
        railway == "crossing"
            ? "(ATTRAVERSAMENTO)(PEDONALE)(" + km_text(kilometre_at(km.progressives, p)) + ")"
            : "(PASSAGGIO)(A LIVELLO)(" + km_text(kilometre_at(km.progressives, p)) + ")";
    boards.push_back({railway == "crossing" ? 3 : 0,
                      static_cast<int32_t>(std::floor((p - 50) / 50)) * 50, text, osm_ref(n)});
  }
  for (const Structure& s : structures) {
    const double length = s.to - s.from;
    if (!s.tunnel && length < 30) continue;  // a culvert or an underpass: no board
    const std::string name = s.name.empty() ? "" : "(" + board_name(w.convert(s.name)) + ")";
    const std::string text = s.tunnel        ? "(  INIZIO  )( GALLERIA )" + name
                             : length >= 100 ? "(  INIZIO  )( VIADOTTO )" + name
                                             : "(PONTE)" + name;
    boards.push_back({s.tunnel ? 1 : 2, static_cast<int32_t>(std::floor(s.from / 50)) * 50, text,
                      "way " + std::to_string(s.way)});
  }
  std::stable_sort(boards.begin(), boards.end(),
                   [](const auto& a, const auto& b) { return a.priority < b.priority; });
  // Station slots must stay below the next free board slot: one slot more is kept free.
  const size_t board_room = kSharedSlots - 2 - std::min(kSharedSlots - 2, stations.size());
  size_t dropped = 0;
  for (const Board& b : boards) {
    const int32_t q = free_position(b.position, 1);
    if (r.line.boards.size() >= board_room || q < 0) {
      ++dropped;
      continue;
    }
    taken.insert(block_of(q));
    r.line.boards.push_back({q, b.text});
    w.sources.add("cartello_indicatore", b.from);
  }
  if (dropped) {
    w.assume(std::to_string(dropped) +
             " line-side boards left out: the general table's slots are shared with the stations");
  }
  // The reader takes the boards into slots 80 downward in file order; route order reads best.
  std::sort(r.line.boards.begin(), r.line.boards.end(),
            [](const auto& a, const auto& b) { return a.position < b.position; });

  // Stations: positions on the 50 m grid, areas 350 m apart at least.
  r.train.coaches = settings.coaches;
  r.train.brake_mass = settings.brake_mass;
  r.train.sand = settings.sand;
  r.train.adhesion.push_back({0, 100});
  std::vector<std::pair<PlacedStation, bool>> chosen;  // with whether the train stops
  int32_t previous_end = -100000;
  for (size_t i = 0; i < stations.size(); ++i) {
    PlacedStation s = stations[i];
    const bool end = i == 0 || i + 1 == stations.size();
    // Every station by default; with --stop, the ones named (and the two ends).
    bool stops = end || (settings.stops.empty() && !s.halt);
    for (const std::string& name : settings.stops) {
      bool transliterated = false;
      if (upper_cp1252(name_to_cp1252(name, transliterated)) == s.name) stops = true;
    }
    const int32_t length = i == 0 || i + 1 == stations.size() ? 400 : stops ? 400 : 200;
    const int32_t p = std::max(kBlock, round_to(s.position, kBlock));
    const int32_t area_start = i + 1 == stations.size() ? p - length : p - length / 2;
    if (area_start - previous_end < 350 && !end) {
      w.assume("station " + cp1252_to_utf8(s.name) +
               " left out: its area would lie within 350 m of the one before");
      continue;
    }
    if (area_start - previous_end < 350 && i + 1 == stations.size() && !chosen.empty() &&
        chosen.size() > 1) {
      w.assume("station " + cp1252_to_utf8(chosen.back().first.name) +
               " left out: its area would lie within 350 m of the destination's");
      chosen.pop_back();
    }
    previous_end = i + 1 == stations.size() ? p + 150 : p + length / 2;
    s.position = p;
    chosen.push_back({s, stops});
    w.sources.add("stazione", osm_ref(*s.node));
    if (s.offset > 30) {
      w.assume("station " + cp1252_to_utf8(s.name) + " stands " +
               std::to_string(std::lround(s.offset)) +
               " m from the track: put on it by projection");
    }
  }
  for (size_t i = 0; i < chosen.size(); ++i) {
    const auto& [s, stops] = chosen[i];
    const bool first_row = i == 0, last_row = i + 1 == chosen.size();
    StationRow row;
    const int32_t kind = last_row ? 6 : first_row ? 12 : stops ? 22 : s.halt ? 28 : 27;
    const int32_t length = first_row || last_row || stops ? 400 : 200;
    const std::array<int32_t, 6> flags = kind == 28   ? std::array<int32_t, 6>{0, 0, 0, 0, 0, 0}
                                         : kind == 27 ? std::array<int32_t, 6>{1, 0, 0, 2, 4, 0}
                                                      : std::array<int32_t, 6>{1, 1, 0, 4, 1, 1};
    row.fields = {static_cast<int32_t>(s.position),
                  kind,
                  length,
                  last_row ? 1 : 0,
                  0,
                  0,
                  flags[0],
                  flags[1],
                  flags[2],
                  flags[3],
                  flags[4],
                  flags[5],
                  first_row ? 1 : (stops && !last_row ? 30 : 0),
                  0,
                  0,
                  0};
    row.name = s.name;
    r.train.stations.push_back(row);
    // The stop marker's block, one before the area's end, is the station's.
    const int32_t area_end = kind == 6 ? row.fields[0] + 150 : row.fields[0] + length / 2;
    for (int32_t b = block_of(area_end) - 2; b <= block_of(area_end); ++b) taken.insert(b);
  }

  // Signals on the path facing the direction of travel.
  for (const RailNode& n : osm.nodes) {
    if (tag(n.tags, "railway") != "signal") continue;
    const bool main = yes(n.tags, "railway:signal:main");
    const bool distant = yes(n.tags, "railway:signal:distant");
    if (!main && !distant) continue;
    const Polyline::Foot foot = line.nearest(to_plane(n.at), kTrackNodeReach);
    if (foot.offset > 1e299) continue;
    const auto direction = tag(n.tags, "railway:signal:direction");
    if (direction == "forward" || direction == "backward") {
      if ((direction == "forward") != segment_forward(foot.segment)) continue;
    }
    const int32_t p = round_to(position(foot.distance), kBlock);
    if (p < 400 || p > route_length || taken.count(block_of(p))) {
      w.assume("the signal " + osm_ref(n) + " at " + std::to_string(p) +
               " m left out: its block is taken or off the route");
      continue;
    }
    taken.insert(block_of(p));
    decompile::SignalRow row;
    // The built-in's rows of each kind: 1 a distant signal, 2 a main one.
    row.fields = main ? std::array<int32_t, 11>{p, 2, 4, 1, 0, 0, 2, 2, 4, 0, 0}
                      : std::array<int32_t, 11>{p, 1, 3, 1, 0, 0, 1, 5, 6, 0, 0};
    r.train.signals.push_back(row);
    w.sources.add("segnale", osm_ref(n));
  }
  std::sort(r.train.signals.begin(), r.train.signals.end(),
            [](const auto& a, const auto& b) { return a.fields[0] < b.fields[0]; });

  // The timetable: the fastest run stopping where the train stops, plus the allowance.
  auto set_time = [](StationRow& row, int32_t t) {
    row.fields[13] = t / 3600;
    row.fields[14] = t / 60 % 60;
    row.fields[15] = t % 60;
  };
  for (size_t i = 0; i < chosen.size(); ++i) {
    if (chosen[i].second) set_time(r.train.stations[i], settings.start);
  }
  const int32_t clock = std::max(0, settings.start - 30);
  r.train.hours = clock / 3600;
  r.train.minutes = clock / 60 % 60;
  r.train.seconds = clock % 60;
  const Identity id{settings.name, settings.train};
  auto compile_both = [&]() {
    r.line_text = decompile::line_source_text(r.line);
    r.train_text = decompile::train_source_text(r.train);
    decompile::InMemoryCompile c = decompile::compile_in_memory(id, r.line_text, r.train_text);
    if (!c.outcome.clean()) {
      throw ImportError("the imported sources do not compile: " + c.outcome.status.message, 1);
    }
    return c;
  };
  {
    decompile::InMemoryCompile c = compile_both();
    timing::RunInput in = run_input(c.state->general, c.state->track.blocks(), c.state->curves);
    try {
      const timing::RunResult run = timing::compute_run(in, timing::TrainModel{});
      size_t k = 0;
      for (size_t i = 0; i < chosen.size(); ++i) {
        if (!chosen[i].second) continue;
        while (k < run.stations.size() &&
               run.stations[k].name != cp1252_to_utf8(chosen[i].first.name))
          ++k;
        if (k == run.stations.size()) break;
        const timing::StationTimes& t = run.stations[k];
        const double at = i + 1 == chosen.size() ? t.fastest_arrival.value_or(settings.start)
                                                 : t.fastest_departure.value_or(settings.start);
        // Whole minutes, as timetables are printed, never earlier than the run allows.
        const double scheduled =
            settings.start + (at - settings.start) * (1 + settings.allowance / 100);
        set_time(r.train.stations[i], static_cast<int32_t>(std::ceil(scheduled / 60) * 60));
        ++k;
      }
    } catch (const timing::TimingError& e) {
      w.assume(std::string("no timetable could be computed (") + e.what() +
               "): every stop at the start time");
    }
  }
  compile_both();

  // The report.
  nlohmann::json rows;
  auto entry = [&](const std::string& kind, size_t count) {
    nlohmann::json e{{"rows", count}};
    const auto it = w.sources.of.find(kind);
    nlohmann::json from = nlohmann::json::array();
    if (it != w.sources.of.end()) {
      for (size_t i = 0; i < std::min<size_t>(it->second.size(), 50); ++i)
        from.push_back(it->second[i]);
      if (it->second.size() > 50)
        from.push_back("and " + std::to_string(it->second.size() - 50) + " more");
    }
    e["from"] = from;
    rows[kind] = e;
  };
  entry("curva", r.line.curves.size());
  entry("pendenza", r.line.gradients.size());
  entry("progressiva", km.progressives.size());
  entry("indicatori_vmax", r.line.speed_boards.size());
  entry("cartello_indicatore", r.line.boards.size());
  entry("stazione", r.train.stations.size());
  entry("segnale", r.train.signals.size());
  entry("velocita", r.train.speeds.size());
  nlohmann::json station_list = nlohmann::json::array();
  for (const auto& [s, stops] : chosen) {
    station_list.push_back(nlohmann::json{{"name", cp1252_to_utf8(s.name)},
                                          {"position", s.position},
                                          {"offset", std::lround(s.offset)},
                                          {"stops", stops},
                                          {"osm", osm_ref(*s.node)}});
  }
  r.report = {
      {"route_length", route_length},
      {"path_length", curves.path_length},
      {"ellipsoid_length", ellipsoid},
      {"rows", rows},
      {"stations", station_list},
      {"fits",
       {{"curves",
         {{"max_offset", curves.max_offset},
          {"max_offset_at", curves.max_offset_at},
          {"mean_offset", curves.mean_offset}}},
        {"gradients",
         {{"rms_error", grades.rms_error},
          {"max_error", grades.max_error},
          {"samples", samples.size()}}},
        {"kilometrage",
         {{"from_marks", km.from_marks},
          {"marks", marks.size()},
          {"max_residual", km.max_residual}}}}},
      {"assumptions", w.assumptions},
  };
  return r;
}

}  // namespace scenario::import

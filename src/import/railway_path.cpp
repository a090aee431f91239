#include "import/railway_path.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <queue>
#include <unordered_map>

#include "source/edit_distance.h"

namespace scenario::import {
namespace {

constexpr double kEarthRadius = 6371008.8;
// Track vertices within this of a station are where a path may start or end.
constexpr double kStationReach = 600;

std::string folded(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\'' || c == '-' || c == '.') c = ' ';
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

bool is_station(const RailNode& n) {
  const auto railway = tag(n.tags, "railway");
  return (railway == "station" || railway == "halt" || railway == "stop") && n.tags.count("name");
}

// The cost of a metre of a way: main and branch lines first, other running lines next, and
// sidings, yards, spurs and crossovers only where nothing else leads on.
double cost_factor(const RailWay& w) {
  if (tag(w.tags, "service")) return 6;
  const auto usage = tag(w.tags, "usage");
  if (usage == "main" || usage == "branch") return 1;
  return 1.5;
}

bool is_rail(const RailWay& w) { return tag(w.tags, "railway") == "rail"; }

struct Edge {
  uint32_t to;
  uint32_t way;
  double length, cost;
};

struct Graph {
  std::vector<int64_t> node_ids;
  std::vector<GeoPoint> at;
  std::vector<std::vector<Edge>> edges;
  std::unordered_map<int64_t, uint32_t> index;

  uint32_t vertex(int64_t id, GeoPoint p) {
    const auto [it, fresh] = index.emplace(id, static_cast<uint32_t>(node_ids.size()));
    if (fresh) {
      node_ids.push_back(id);
      at.push_back(p);
      edges.emplace_back();
    }
    return it->second;
  }
};

struct Box {
  double south, west, north, east;
  bool holds(GeoPoint p) const {
    return p.lat >= south && p.lat <= north && p.lon >= west && p.lon <= east;
  }
};

// The graph of railway=rail ways with a point inside box.
Graph build_graph(const OsmExtract& osm, const Box& box) {
  Graph g;
  for (size_t w = 0; w < osm.ways.size(); ++w) {
    const RailWay& way = osm.ways[w];
    if (!is_rail(way)) continue;
    if (std::none_of(way.points.begin(), way.points.end(),
                     [&](GeoPoint p) { return box.holds(p); })) {
      continue;
    }
    const double factor = cost_factor(way);
    for (size_t i = 0; i + 1 < way.points.size(); ++i) {
      const uint32_t a = g.vertex(way.nodes[i], way.points[i]);
      const uint32_t b = g.vertex(way.nodes[i + 1], way.points[i + 1]);
      const double d = near_distance(way.points[i], way.points[i + 1]);
      g.edges[a].push_back({b, static_cast<uint32_t>(w), d, d * factor});
      g.edges[b].push_back({a, static_cast<uint32_t>(w), d, d * factor});
    }
  }
  return g;
}

Box box_around(GeoPoint a, GeoPoint b) {
  // Half the distance again, and 30 km at least, on every side: a line rarely wanders further
  // from the straight line between its ends, and the rest of a national network stays out.
  const double margin =
      std::max(30000.0, 0.5 * near_distance(a, b)) / kEarthRadius * 180 / std::numbers::pi;
  const double lat_scale =
      std::cos(std::max(std::abs(a.lat), std::abs(b.lat)) * std::numbers::pi / 180 +
               margin * std::numbers::pi / 180);
  return {
      std::min(a.lat, b.lat) - margin, std::min(a.lon, b.lon) - margin / std::max(lat_scale, 0.05),
      std::max(a.lat, b.lat) + margin, std::max(a.lon, b.lon) + margin / std::max(lat_scale, 0.05)};
}

}  // namespace

double near_distance(GeoPoint a, GeoPoint b) {
  const double rad = std::numbers::pi / 180;
  const double dlat = (b.lat - a.lat) * rad;
  const double dlon = (b.lon - a.lon) * rad * std::cos((a.lat + b.lat) / 2 * rad);
  return kEarthRadius * std::sqrt(dlat * dlat + dlon * dlon);
}

const RailNode& find_station(const OsmExtract& osm, const std::string& name) {
  const std::string wanted = folded(name);
  for (const RailNode& n : osm.nodes) {
    if (is_station(n) && folded(*tag(n.tags, "name")) == wanted) return n;
  }
  std::vector<std::pair<size_t, std::string>> near;
  for (const RailNode& n : osm.nodes) {
    if (!is_station(n)) continue;
    const std::string& other = n.tags.at("name");
    near.emplace_back(edit_distance(wanted, folded(other)), other);
  }
  std::sort(near.begin(), near.end());
  near.erase(std::unique(near.begin(), near.end()), near.end());
  std::string line = "no station, halt or stop named '" + name + "'";
  if (near.empty()) throw ImportError(line + ": the file holds none", 1);
  line += "; the nearest names: ";
  for (size_t i = 0; i < std::min<size_t>(near.size(), 5); ++i) {
    line += (i ? ", " : "") + near[i].second;
  }
  throw ImportError(line, 1);
}

namespace {

// The cheapest path within box; nothing when none.
std::optional<RailPath> path_within(const OsmExtract& osm, GeoPoint from, GeoPoint to,
                                    const Box& box) {
  Graph g = build_graph(osm, box);
  const size_t n = g.node_ids.size();
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<double> cost(n, inf);
  std::vector<uint32_t> previous(n, UINT32_MAX), previous_way(n, UINT32_MAX);
  using Item = std::pair<double, uint32_t>;
  std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
  // Every vertex near the origin starts at the cost of reaching it from the station.
  for (uint32_t v = 0; v < n; ++v) {
    const double d = near_distance(from, g.at[v]);
    if (d <= kStationReach) {
      cost[v] = 2 * d;
      queue.emplace(cost[v], v);
    }
  }
  if (queue.empty()) throw ImportError("no railway track within 600 m of the origin station", 1);
  double best = inf;
  uint32_t best_end = UINT32_MAX;
  while (!queue.empty()) {
    const auto [c, v] = queue.top();
    queue.pop();
    if (c > cost[v] || c >= best) continue;
    const double to_end = near_distance(to, g.at[v]);
    if (to_end <= kStationReach && c + 2 * to_end < best) {
      best = c + 2 * to_end;
      best_end = v;
    }
    for (const Edge& e : g.edges[v]) {
      if (c + e.cost < cost[e.to]) {
        cost[e.to] = c + e.cost;
        previous[e.to] = v;
        previous_way[e.to] = e.way;
        queue.emplace(cost[e.to], e.to);
      }
    }
  }
  if (best_end == UINT32_MAX) return std::nullopt;
  RailPath path;
  for (uint32_t v = best_end; v != UINT32_MAX; v = previous[v]) {
    path.points.push_back(g.at[v]);
    path.nodes.push_back(g.node_ids[v]);
    if (previous[v] != UINT32_MAX) path.way_of.push_back(previous_way[v]);
  }
  std::reverse(path.points.begin(), path.points.end());
  std::reverse(path.nodes.begin(), path.nodes.end());
  std::reverse(path.way_of.begin(), path.way_of.end());
  if (path.points.size() < 2) {
    throw ImportError("the two stations lie on the same point of track", 1);
  }
  return path;
}

}  // namespace

RailPath shortest_path(const OsmExtract& osm, GeoPoint from, GeoPoint to) {
  // The box around the two stations first; a line that wanders further out, the whole network.
  if (auto path = path_within(osm, from, to, box_around(from, to))) return *path;
  if (auto path = path_within(osm, from, to, {-90, -180, 90, 180})) return *path;
  throw ImportError("no railway path between the two stations along railway=rail ways", 1);
}

RailPath relation_path(const OsmExtract& osm, int64_t relation) {
  if (!osm.relation_found)
    throw ImportError("no relation " + std::to_string(relation) + " in the file", 1);
  std::unordered_map<int64_t, size_t> by_id;
  for (size_t w = 0; w < osm.ways.size(); ++w) by_id.emplace(osm.ways[w].id, w);
  RailPath path;
  for (int64_t id : osm.relation_ways) {
    const auto it = by_id.find(id);
    if (it == by_id.end()) continue;  // platforms and other members that are no track
    const RailWay& w = osm.ways[it->second];
    std::vector<size_t> order(w.nodes.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    if (!path.nodes.empty()) {
      const int64_t end = path.nodes.back();
      if (w.nodes.back() == end) {
        std::reverse(order.begin(), order.end());
      } else if (w.nodes.front() != end) {
        // The first way may run against the route: that shows only at the second.
        const bool one_way_so_far = std::all_of(path.way_of.begin(), path.way_of.end(),
                                                [&](size_t x) { return x == path.way_of.front(); });
        if (one_way_so_far && path.nodes.front() == w.nodes.front()) {
          std::reverse(path.points.begin(), path.points.end());
          std::reverse(path.nodes.begin(), path.nodes.end());
        } else if (one_way_so_far && path.nodes.front() == w.nodes.back()) {
          std::reverse(path.points.begin(), path.points.end());
          std::reverse(path.nodes.begin(), path.nodes.end());
          std::reverse(order.begin(), order.end());
        } else {
          throw ImportError("relation " + std::to_string(relation) + ": way " + std::to_string(id) +
                                " does not meet the way before it",
                            1);
        }
      }
    }
    for (size_t k = 0; k < order.size(); ++k) {
      const size_t i = order[k];
      if (!path.nodes.empty() && k == 0) continue;  // the shared node
      if (!path.nodes.empty()) path.way_of.push_back(it->second);
      path.nodes.push_back(w.nodes[i]);
      path.points.push_back(w.points[i]);
    }
  }
  if (path.points.size() < 2) {
    throw ImportError("relation " + std::to_string(relation) + " holds no railway track", 1);
  }
  return path;
}

namespace {

struct Heading {
  double east, north;
};

Heading heading(GeoPoint a, GeoPoint b) {
  const double rad = std::numbers::pi / 180;
  Heading h{(b.lon - a.lon) * std::cos(a.lat * rad), b.lat - a.lat};
  const double n = std::hypot(h.east, h.north);
  return n > 0 ? Heading{h.east / n, h.north / n} : h;
}

// Walks on from the path's last point for up to metres, appending; returns the metres added.
double walk_on(const OsmExtract& osm,
               const std::unordered_map<int64_t, std::vector<std::pair<size_t, size_t>>>& at_node,
               RailPath& path, double metres) {
  double added = 0;
  while (added < metres) {
    const size_t last = path.points.size() - 1;
    const Heading h = heading(path.points[last - 1], path.points[last]);
    const auto it = at_node.find(path.nodes[last]);
    if (it == at_node.end()) break;
    double best_turn = -2;
    size_t best_way = 0, best_index = 0;
    for (const auto& [w, i] : it->second) {
      const RailWay& way = osm.ways[w];
      for (const int step : {-1, 1}) {
        const size_t j = i + step;
        if (j >= way.nodes.size() || way.nodes[j] == path.nodes[last - 1]) continue;
        const Heading next = heading(way.points[i], way.points[j]);
        const double straight =
            h.east * next.east + h.north * next.north - (cost_factor(way) > 1.5 ? 0.5 : 0);
        if (straight > best_turn) {
          best_turn = straight;
          best_way = w;
          best_index = j;
        }
      }
    }
    // Not back on itself, and no sharper turn than a switch makes.
    if (best_turn < 0.7) break;
    const RailWay& way = osm.ways[best_way];
    if (std::find(path.nodes.end() - std::min<size_t>(path.nodes.size(), 50), path.nodes.end(),
                  way.nodes[best_index]) != path.nodes.end()) {
      break;  // a loop
    }
    added += near_distance(path.points[last], way.points[best_index]);
    path.points.push_back(way.points[best_index]);
    path.nodes.push_back(way.nodes[best_index]);
    path.way_of.push_back(best_way);
  }
  return added;
}

}  // namespace

void extend_path(const OsmExtract& osm, RailPath& path, double back, double forward) {
  std::unordered_map<int64_t, std::vector<std::pair<size_t, size_t>>> at_node;
  // Only the nodes near the path's ends matter; the ways touching them are few.
  const GeoPoint ends[2] = {path.points.front(), path.points.back()};
  const double reach = std::max(back, forward) + 1000;
  for (size_t w = 0; w < osm.ways.size(); ++w) {
    if (!is_rail(osm.ways[w])) continue;
    const RailWay& way = osm.ways[w];
    for (size_t i = 0; i < way.nodes.size(); ++i) {
      if (near_distance(way.points[i], ends[0]) < reach ||
          near_distance(way.points[i], ends[1]) < reach) {
        at_node[way.nodes[i]].emplace_back(w, i);
      }
    }
  }
  path.runout = walk_on(osm, at_node, path, forward);
  std::reverse(path.points.begin(), path.points.end());
  std::reverse(path.nodes.begin(), path.nodes.end());
  std::reverse(path.way_of.begin(), path.way_of.end());
  path.lead = walk_on(osm, at_node, path, back);
  std::reverse(path.points.begin(), path.points.end());
  std::reverse(path.nodes.begin(), path.nodes.end());
  std::reverse(path.way_of.begin(), path.way_of.end());
}

double near_length(const RailPath& path) {
  double s = 0;
  for (size_t i = 0; i + 1 < path.points.size(); ++i)
    s += near_distance(path.points[i], path.points[i + 1]);
  return s;
}

}  // namespace scenario::import

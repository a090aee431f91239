#include "geo_fixture.h"

#include <gdal_priv.h>

#include <cmath>
#include <map>
#include <mutex>
#include <osmium/builder/attr.hpp>
#include <osmium/builder/osm_object_builder.hpp>
#include <osmium/io/any_output.hpp>
#include <stdexcept>

namespace scenario::testing {

int64_t TestMap::add_node(import::GeoPoint at, std::vector<Tag> tags) {
  nodes.push_back({next_id, at, std::move(tags)});
  return next_id++;
}

void TestMap::write(const std::string& path) const {
  using namespace osmium::builder::attr;
  osmium::memory::Buffer buffer{1 << 20, osmium::memory::Buffer::auto_grow::yes};
  for (const TestNode& n : nodes) {
    osmium::builder::add_node(buffer, _id(n.id), _version(1), _timestamp(std::time_t{1700000000}),
                              _location(n.at.lon, n.at.lat), _tags(n.tags));
  }
  for (const TestWay& w : ways) {
    osmium::builder::add_way(buffer, _id(w.id), _version(1), _timestamp(std::time_t{1700000000}),
                             _nodes(w.nodes), _tags(w.tags));
  }
  for (const TestRelation& r : relations) {
    std::vector<osmium::builder::attr::member_type> members;
    for (int64_t w : r.ways) members.emplace_back(osmium::item_type::way, w, "");
    osmium::builder::add_relation(buffer, _id(r.id), _version(1),
                                  _timestamp(std::time_t{1700000000}), _members(members),
                                  _tags(r.tags));
  }
  osmium::io::Header header;
  header.set("generator", "scenario tests");
  osmium::io::Writer writer{path, header, osmium::io::overwrite::allow};
  writer(std::move(buffer));
  writer.close();
}

import::GeoPoint PlaneOnEarth::geo(PlanePoint p) const {const import::Projection proj(lon0);
const double y0 = proj.forward({lat0, lon0}).y;
return proj.inverse({p.x, p.y + y0});
}  // namespace scenario::testing

PlanePoint PlaneOnEarth::plane(import::GeoPoint g) const {
  const import::Projection proj(lon0);
  const double y0 = proj.forward({lat0, lon0}).y;
  const PlanePoint p = proj.forward(g);
  return {p.x, p.y - y0};
}

namespace {

std::string km_tag(double metres) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", metres / 1000);
  return buf;
}

bool inside(const std::vector<Span>& spans, double d) {
  for (const Span& s : spans) {
    if (d >= s.from && d < s.to) return true;
  }
  return false;
}

// The nearest point of the true track to a plane point: its distance and lateral offset.
class TrackIndex {
 public:
  explicit TrackIndex(const GeneratedAlignment& a) : a_(a) {
    for (size_t d = 0; d < a.truth.track.size(); d += 10)
      grid_[cell(a.truth.track[d])].push_back(d);
  }
  // False beyond 1 km of the track.
  bool nearest(PlanePoint q, double& distance, double& lateral) const {
    const auto [cx, cy] = cell(q);
    double best = 1e300;
    size_t at = 0;
    for (int64_t x = cx - 2; x <= cx + 2; ++x) {
      for (int64_t y = cy - 2; y <= cy + 2; ++y) {
        const auto it = grid_.find({x, y});
        if (it == grid_.end()) continue;
        for (size_t d : it->second) {
          const double e = std::hypot(a_.truth.track[d].x - q.x, a_.truth.track[d].y - q.y);
          if (e < best) best = e, at = d;
        }
      }
    }
    if (best > 1000) return false;
    // Refine to the metre.
    const size_t lo = at >= 10 ? at - 10 : 0, hi = std::min(at + 10, a_.truth.track.size() - 1);
    for (size_t d = lo; d <= hi; ++d) {
      const double e = std::hypot(a_.truth.track[d].x - q.x, a_.truth.track[d].y - q.y);
      if (e <= best) best = e, at = d;
    }
    const size_t n = std::min(at + 1, a_.truth.track.size() - 1), p = n - 1;
    const double tx = a_.truth.track[n].x - a_.truth.track[p].x,
                 ty = a_.truth.track[n].y - a_.truth.track[p].y;
    distance = static_cast<double>(at);
    lateral = (q.x - a_.truth.track[at].x) * ty - (q.y - a_.truth.track[at].y) * tx;
    return true;
  }

 private:
  static std::pair<int64_t, int64_t> cell(PlanePoint q) {
    return {static_cast<int64_t>(std::floor(q.x / 400)),
            static_cast<int64_t>(std::floor(q.y / 400))};
  }
  const GeneratedAlignment& a_;
  std::map<std::pair<int64_t, int64_t>, std::vector<size_t>> grid_;
};

void register_gdal() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
}

// Fills a north-up raster whose top-left corner is (north, west), cells of step degrees.
std::vector<float> terrain_cells(const GeneratedAlignment& a, const PlaneOnEarth& where,
                                 double north, double west, int cols, int rows, double step) {
  const TrackIndex index(a);
  std::vector<float> cells(static_cast<size_t>(cols) * rows, 0);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const import::GeoPoint g{north - (r + 0.5) * step, west + (c + 0.5) * step};
      double d = 0, lateral = 0;
      if (index.nearest(where.plane(g), d, lateral)) {
        cells[static_cast<size_t>(r) * cols + c] = static_cast<float>(a.terrain(d, lateral));
      }
    }
  }
  return cells;
}

}  // namespace

LineMap line_map(const GeneratedAlignment& a, const PlaneOnEarth& where, const LineMapOptions& o) {
  LineMap out;
  TestMap& m = out.map;
  // The line's speeds by share of its length: a slower stretch in the middle.
  const double length = a.length();
  out.speeds = {{0, 100}, {0.3 * length, 140}, {0.6 * length, 80}, {0.75 * length, 120}};
  auto speed_at = [&](double d) {
    int v = out.speeds.front().second;
    for (const auto& [from, kmh] : out.speeds) {
      if (d >= from) v = kmh;
    }
    return v;
  };
  std::vector<int64_t> ids;
  for (const PlanePoint& p : a.nodes) ids.push_back(m.add_node(where.geo(p)));
  // Ways of up to 40 nodes, cut where the speed, a tunnel or a bridge starts or ends.
  std::vector<int64_t> line_ways;
  size_t start = 0;
  auto kind_at = [&](size_t i) {
    const double mid = (a.node_distance[i] + a.node_distance[i + 1]) / 2;
    return std::tuple(speed_at(mid), inside(a.tunnels, mid), inside(a.bridges, mid));
  };
  for (size_t i = 0; i + 1 < a.nodes.size(); ++i) {
    const bool last = i + 2 == a.nodes.size();
    if (!last && kind_at(i + 1) == kind_at(start) && i + 1 - start < 40) continue;
    const auto [kmh, tunnel, bridge] = kind_at(start);
    TestWay w{m.next_id++,
              {ids.begin() + start, ids.begin() + i + 2},
              {{"railway", "rail"},
               {"usage", "main"},
               {"maxspeed", std::to_string(kmh)},
               {"gauge", "1435"}}};
    if (tunnel)
      w.tags.insert(w.tags.end(),
                    {{"tunnel", "yes"}, {"layer", "-1"}, {"tunnel:name", "Galleria Monte Ĺavo"}});
    if (bridge)
      w.tags.insert(w.tags.end(),
                    {{"bridge", "yes"}, {"layer", "1"}, {"bridge:name", "Viadotto Rio Selva"}});
    line_ways.push_back(w.id);
    m.ways.push_back(std::move(w));
    start = i + 1;
  }
  m.relations.push_back(
      {o.relation_id, line_ways, {{"type", "route"}, {"route", "train"}, {"name", "test line"}}});

  auto nearest_node = [&](double d) {
    size_t best = 0;
    for (size_t i = 0; i < a.node_distance.size(); ++i) {
      if (std::abs(a.node_distance[i] - d) < std::abs(a.node_distance[best] - d)) best = i;
    }
    return best;
  };
  for (size_t i = 0; i < a.stations.size(); ++i) {
    const TrackFeature& s = a.stations[i];
    m.add_node(where.geo(a.point(s.distance, s.lateral)),
               {{"railway", i % 3 == 2 ? "halt" : "station"},
                {"name", s.name},
                {"public_transport", "station"}});
  }
  out.origin = a.stations.front().name;
  out.destination = a.stations.back().name;
  for (const KilometreMark& k : a.marks) {
    m.add_node(where.geo(a.point(k.position, 3)),
               {{"railway", "milestone"}, {"railway:position", km_tag(k.kilometre)}});
  }
  for (const TrackFeature& c : a.level_crossings) {
    m.nodes[nearest_node(c.distance)].tags = {{"railway", "level_crossing"}};
  }
  // Signals: a distant and a main one every 5 km, facing the direction of travel.
  for (double d = 2000; d + 2000 < length; d += 5000) {
    for (const bool main : {false, true}) {
      TestNode& n = m.nodes[nearest_node(d + (main ? 1200 : 0))];
      if (!n.tags.empty()) continue;
      n.tags = {{"railway", "signal"},
                {"railway:signal:direction", "forward"},
                {main ? "railway:signal:main" : "railway:signal:distant", "IT-FS:1a_categoria"}};
    }
  }
  if (o.siding && a.nodes.size() > 200) {
    // A siding beside the line a third of the way along: the path must keep to the line.
    const size_t from = a.nodes.size() / 3, to = from + 20;
    TestWay w{m.next_id++, {ids[from]}, {{"railway", "rail"}, {"service", "siding"}}};
    for (size_t i = from + 1; i < to; ++i)
      w.nodes.push_back(m.add_node(where.geo(a.point(a.node_distance[i], 5))));
    w.nodes.push_back(ids[to]);
    m.ways.push_back(std::move(w));
  }
  if (o.other_network) {
    const PlanePoint far = a.point(length / 2, 20000);
    TestWay w{m.next_id++, {}, {{"railway", "rail"}, {"usage", "branch"}}};
    for (int k = 0; k < 10; ++k)
      w.nodes.push_back(m.add_node(where.geo({far.x + 200.0 * k, far.y})));
    m.ways.push_back(std::move(w));
    m.add_node(where.geo({far.x + 500, far.y + 30}), {{"railway", "station"}, {"name", "Altrove"}});
  }
  // Things that are no railway: a road and a few shops.
  TestWay road{m.next_id++, {}, {{"highway", "primary"}, {"name", "Via Emilia"}}};
  for (int k = 0; k < 5; ++k) road.nodes.push_back(m.add_node(where.geo(a.point(1000.0 * k, 400))));
  m.ways.push_back(std::move(road));
  m.add_node(where.geo(a.point(300, 100)), {{"shop", "bakery"}, {"name", "Forno"}});
  return out;
}

void write_geotiff(const GeneratedAlignment& a, const PlaneOnEarth& where, const std::string& path,
                   double from, double to, double cell) {
  register_gdal();
  double south = 90, north = -90, west = 180, east = -180;
  const size_t last = a.truth.track.size() - 1;
  const size_t end = static_cast<size_t>(to * last);
  for (size_t d = static_cast<size_t>(from * last); d <= end; d += 50) {
    const import::GeoPoint g = where.geo(a.truth.track[d]);
    south = std::min(south, g.lat), north = std::max(north, g.lat);
    west = std::min(west, g.lon), east = std::max(east, g.lon);
  }
  const double step = cell / 3600, margin = 0.01;
  north += margin, south -= margin, west -= margin, east += margin;
  const int cols = static_cast<int>(std::ceil((east - west) / step)),
            rows = static_cast<int>(std::ceil((north - south) / step));
  const std::vector<float> cells = terrain_cells(a, where, north, west, cols, rows, step);
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  GDALDataset* ds = driver->Create(path.c_str(), cols, rows, 1, GDT_Float32, nullptr);
  if (!ds) throw std::runtime_error("cannot create " + path);
  double transform[6] = {west, step, 0, north, 0, -step};
  ds->SetGeoTransform(transform);
  OGRSpatialReference wgs84;
  wgs84.SetWellKnownGeogCS("WGS84");
  ds->SetSpatialRef(&wgs84);
  if (ds->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, cols, rows, const_cast<float*>(cells.data()),
                                     cols, rows, GDT_Float32, 0, 0) != CE_None) {
    GDALClose(ds);
    throw std::runtime_error("cannot write " + path);
  }
  GDALClose(ds);
}

void write_hgt(const GeneratedAlignment& a, const PlaneOnEarth& where, const std::string& path) {
  register_gdal();
  const import::GeoPoint start = where.geo(a.truth.track.front());
  const double south = std::floor(start.lat), west = std::floor(start.lon);
  // SRTM3: 1201 rows and columns, the cell centres on whole multiples of 3 arc-seconds.
  const int n = 1201;
  const double step = 1.0 / 1200;
  const std::vector<float> cells =
      terrain_cells(a, where, south + 1 + step / 2, west - step / 2, n, n, step);
  std::vector<int16_t> values(cells.size());
  for (size_t i = 0; i < cells.size(); ++i) values[i] = static_cast<int16_t>(std::lround(cells[i]));
  GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
  GDALDataset* src = mem->Create("", n, n, 1, GDT_Int16, nullptr);
  double transform[6] = {west - step / 2, step, 0, south + 1 + step / 2, 0, -step};
  src->SetGeoTransform(transform);
  OGRSpatialReference wgs84;
  wgs84.SetWellKnownGeogCS("WGS84");
  src->SetSpatialRef(&wgs84);
  if (src->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, n, n, values.data(), n, n, GDT_Int16, 0, 0) !=
      CE_None) {
    GDALClose(src);
    throw std::runtime_error("cannot fill the tile " + path);
  }
  GDALDriver* hgt = GetGDALDriverManager()->GetDriverByName("SRTMHGT");
  GDALDataset* out = hgt->CreateCopy(path.c_str(), src, FALSE, nullptr, nullptr, nullptr);
  GDALClose(src);
  if (!out) throw std::runtime_error("cannot create " + path);
  GDALClose(out);
}

}  // namespace scenario::testing

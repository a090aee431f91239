// The import end to end on files the tests write: an OSM file and elevation rasters made from a
// generated alignment whose truth is known, read back through libosmium and GDAL, and the
// imported line measured against the truth.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "geo_fixture.h"
#include "import/geodata/elevation.h"
#include "import/geodata/osm_reader.h"
#include "import/gradient_fit.h"
#include "import/kilometrage_fit.h"
#include "import/line_import.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

struct Imported {
  GeneratedAlignment alignment;
  LineMap line;
  import::ImportResult result;
};

GeneratedAlignment alignment_of(double length, uint64_t seed) {
  AlignmentOptions o;
  o.seed = seed;
  o.length = length;
  o.noise = 2;
  return generate_alignment(o);
}

import::ImportResult import_files(const std::string& osm_path, const std::vector<std::string>& dems,
                                  const LineMap& line, const PlaneOnEarth& where){
    const import::OsmExtract osm = import::read_osm(osm_path);
const import::RailNode& from = import::find_station(osm, line.origin);
const import::RailNode& to = import::find_station(osm, line.destination);
import::RailPath path = import::shortest_path(osm, from.at, to.at);
import::extend_path(osm, path, import::kLead, import::kRunOut + 500);
import::ElevationModel dem;
for (const std::string& f : dems) dem.add(f);
import::Surveyor earth;
// The generator's own plane: the truth and the import share their metres.
earth.project = [&](import::GeoPoint g) { return where.plane(g); };
earth.distance = import::ellipsoid_distance;
if (!dems.empty()) earth.elevation = [&](import::GeoPoint g) { return dem.at(g); };
import::ImportSettings s;
s.from = line.origin;
s.to = line.destination;
return import::import_line(osm, path, earth, s);
}  // namespace

// Route position of each metre of true track, through the compiled plan.
class PlanIndex {
 public:
  explicit PlanIndex(std::vector<PlanePoint> plan) : plan_(std::move(plan)) {
    for (size_t i = 0; i < plan_.size(); ++i) grid_[cell(plan_[i])].push_back(i);
  }
  // The plan metre nearest q, and how far it is.
  std::pair<size_t, double> nearest(PlanePoint q) const {
    const auto [cx, cy] = cell(q);
    std::pair<size_t, double> best{0, 1e300};
    for (int64_t x = cx - 1; x <= cx + 1; ++x) {
      for (int64_t y = cy - 1; y <= cy + 1; ++y) {
        const auto it = grid_.find({x, y});
        if (it == grid_.end()) continue;
        for (size_t i : it->second) {
          const double e = std::hypot(plan_[i].x - q.x, plan_[i].y - q.y);
          if (e < best.second) best = {i, e};
        }
      }
    }
    return best;
  }

 private:
  static std::pair<int64_t, int64_t> cell(PlanePoint q) {
    return {static_cast<int64_t>(std::floor(q.x / 100)),
            static_cast<int64_t>(std::floor(q.y / 100))};
  }
  std::vector<PlanePoint> plan_;
  std::map<std::pair<int64_t, int64_t>, std::vector<size_t>> grid_;
};

TEST(ImportEndToEnd, GeneratedLineMeetsTheTargets) {
  TempDir dir;
  const PlaneOnEarth where;
  const GeneratedAlignment a = alignment_of(30'000, 7);
  const LineMap line = line_map(a, where);
  line.map.write(dir.file("line.osm.pbf"));
  // Two rasters: a GeoTIFF over the first 60 % of the line, the SRTM tile over all of it.
  write_geotiff(a, where, dir.file("start.tif"), 0, 0.6);
  write_hgt(a, where, dir.file("N44E011.hgt"));
  const import::ImportResult r = import_files(
      dir.file("line.osm.pbf"), {dir.file("start.tif"), dir.file("N44E011.hgt")}, line, where);
  const int32_t length = r.line.route_length;

  std::vector<CurveRow> rows;
  for (const auto& c : r.line.curves) rows.push_back({c.start, c.length, c.digit, c.left});
  const std::vector<PlanePoint> plan = compiled_plan(rows, length, r.curves.frame);
  const PlanIndex index(plan);

  // The true track's metres within the route, with their route positions.
  std::vector<std::pair<size_t, size_t>> truth_at;  // true distance, route position
  double worst = 0;
  for (size_t d = 0; d < a.truth.track.size(); d += 5) {
    const auto [p, offset] = index.nearest(a.truth.track[d]);
    if (p == 0 || p + 1 >= plan.size()) continue;
    truth_at.emplace_back(d, p);
    worst = std::max(worst, offset);
  }
  ASSERT_GT(truth_at.size(), 1000u);
  EXPECT_LE(worst, 30) << "the compiled plan strays from the mapped track";

  auto row_at = [&](size_t p) -> const CurveRow* {
    for (const CurveRow& c : rows) {
      if (p >= static_cast<size_t>(c.start) && p < static_cast<size_t>(c.start + c.length))
        return &c;
    }
    return nullptr;
  };
  double classed = 0, right = 0;
  for (const auto& [d, p] : truth_at) {
    const int truth = a.truth.curve_class[d];
    if (truth == 0) continue;
    classed += 5;
    const CurveRow* c = row_at(p);
    if (c && c->curve_class == std::abs(truth) && c->left == (truth < 0)) right += 5;
  }
  ASSERT_GT(classed, 0);
  EXPECT_GE(right / classed, 0.9) << "curve class and hand right on " << right << " of " << classed
                                  << " m";

  std::vector<GradientRow> grades;
  for (const auto& g : r.line.gradients) grades.push_back({g.position, g.value});
  auto true_distance = [&](size_t p) {
    const auto it =
        std::min_element(truth_at.begin(), truth_at.end(), [&](const auto& x, const auto& y) {
          return std::abs(static_cast<double>(x.second) - p) <
                 std::abs(static_cast<double>(y.second) - p);
        });
    return it->first;
  };
  int kilometres = 0, good = 0;
  for (size_t p0 = 1000; p0 + 2000 <= truth_at.back().second; p0 += 1000) {
    const size_t d0 = true_distance(p0), d1 = true_distance(p0 + 1000);
    const double truth = (a.truth.elevation[d1] - a.truth.elevation[d0]) / (d1 - d0) * 1000;
    const double imported = profile_elevation(grades, p0 + 1000) - profile_elevation(grades, p0);
    ++kilometres;
    if (std::abs(truth - imported) <= 2) ++good;
  }
  EXPECT_GE(good, 0.95 * kilometres)
      << good << " of " << kilometres << " kilometres within 2 per mille";

  // Every station, in order, within 50 m, with its kilometre within 50 m.
  std::vector<ProgressiveRow> progressives;
  for (const auto* p : {&r.line.uno, &r.line.due, &r.line.tre}) {
    if (p->start || p->value || p->direction || progressives.empty())
      progressives.push_back({p->start, p->value, p->direction});
  }
  ASSERT_EQ(r.train.stations.size(), a.stations.size());
  for (size_t i = 0; i < a.stations.size(); ++i) {
    const TrackFeature& s = a.stations[i];
    const size_t p = index.nearest(a.point(s.distance)).first;
    SCOPED_TRACE(s.name);
    std::string upper = s.name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(r.train.stations[i].name, upper);
    EXPECT_NEAR(r.train.stations[i].fields[0], static_cast<double>(p), 50);
    EXPECT_NEAR(kilometre_at(progressives, p), a.truth.kilometre[static_cast<size_t>(s.distance)],
                50);
  }

  // The speed in force over 95 % of the route.
  auto imported_speed = [&](double p) {
    int32_t v = 0;
    for (const auto& s : r.train.speeds) {
      if (s.position <= p) v = s.value;
    }
    return v;
  };
  auto true_speed = [&](double d) {
    int v = 0;
    for (const auto& [from, kmh] : line.speeds) {
      if (d >= from) v = kmh;
    }
    return v;
  };
  size_t agree = 0;
  for (const auto& [d, p] : truth_at) agree += imported_speed(p) == true_speed(d);
  EXPECT_GE(agree, 0.95 * truth_at.size());
  EXPECT_LE(length, truth_at.back().second + 6000);
}

}  // namespace scenario::testing
}  // namespace scenario::testing

// The import's speed: a generated 1,000 km line (OSM file and elevation tiles) imported by
// scenario-import, with its peak memory; and the route's ways found in a generated national
// extract (200,000 km of railway among roads and buildings).
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench_support.h"
#include "import/geodata/geo_fixture.h"
#include "import/geodata/osm_reader.h"
#include "import/railway_path.h"

namespace scenario::bench {
namespace {

using testing::PlaneOnEarth;

void BM_ImportLine1000km(benchmark::State& state) {
  static ScratchDir dir;
  static std::vector<std::string> args;
  if (args.empty()) {
    testing::AlignmentOptions o;
    o.seed = 5;
    o.length = 980'000;
    const testing::GeneratedAlignment a = testing::generate_alignment(o);
    const PlaneOnEarth where{40.0, 12.0};
    const testing::LineMap line = testing::line_map(a, where, {false, false});
    line.map.write(dir.file("line.osm.pbf"));
    args = {"--from", line.origin, "--to", line.destination, "-o", dir.file("out"), "--force"};
    // Tiles of 50 km of line each, at 3 arc-seconds (SRTM3's cells).
    for (int k = 0; k < 20; ++k) {
      const std::string tile = dir.file("tile" + std::to_string(k) + ".tif");
      testing::write_geotiff(a, where, tile, k / 20.0, (k + 1) / 20.0, 3);
      args.insert(args.end(), {"--dem", tile});
    }
    args.push_back(dir.file("line.osm.pbf"));
  }
  for (auto _ : state) {
    const ChildRun run = run_child(SCENARIO_IMPORT_EXE, args);
    if (run.exit_status != 0) {
      state.SkipWithError("scenario-import failed");
      return;
    }
    state.SetIterationTime(run.seconds);
    state.counters["peak_MiB"] = static_cast<double>(run.max_rss_kib) / 1024;
  }
}
BENCHMARK(BM_ImportLine1000km)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// 400 lines of 500 km, 1 km apart, a node every 100 m, ways of 100 nodes; 2,000,000 building
// nodes and 100,000 roads between them. The route: 500 km along line 200.
void BM_NationalExtractRouteWays(benchmark::State& state) {
  static ScratchDir dir;
  static bool written = false;
  const PlaneOnEarth where{42.0, 12.0};
  if (!written) {
    testing::TestMap m;
    for (int line = 0; line < 400; ++line) {
      std::vector<int64_t> nodes;
      for (int k = 0; k <= 5000; ++k)
        nodes.push_back(m.add_node(where.geo({-250'000.0 + 100.0 * k, 1000.0 * line})));
      for (size_t from = 0; from + 1 < nodes.size(); from += 100) {
        m.ways.push_back(
            {m.next_id++,
             {nodes.begin() + from, nodes.begin() + std::min(from + 101, nodes.size())},
             {{"railway", "rail"}, {"usage", line % 4 ? "branch" : "main"}, {"maxspeed", "120"}}});
      }
      m.add_node(where.geo({-249'990, 1000.0 * line + 30}),
                 {{"railway", "station"}, {"name", "Ovest " + std::to_string(line)}});
      m.add_node(where.geo({249'990, 1000.0 * line + 30}),
                 {{"railway", "station"}, {"name", "Est " + std::to_string(line)}});
    }
    for (int k = 0; k < 2'000'000; ++k) {
      m.add_node(where.geo({-250'000.0 + (k % 5000) * 100 + 50, (k / 5000) * 1000.0 + 500}),
                 {{"building", "yes"}});
    }
    for (int k = 0; k < 100'000; ++k) {
      const int64_t a =
          m.add_node(where.geo({-250'000.0 + (k % 500) * 1000 + 10, (k / 500) * 2000.0 + 300}));
      const int64_t b =
          m.add_node(where.geo({-250'000.0 + (k % 500) * 1000 + 900, (k / 500) * 2000.0 + 320}));
      m.ways.push_back({m.next_id++, {a, b}, {{"highway", "residential"}}});
    }
    // Ids in order: nodes, then ways.
    std::sort(m.ways.begin(), m.ways.end(),
              [](const auto& x, const auto& y) { return x.id < y.id; });
    m.write(dir.file("national.osm.pbf"));
    written = true;
  }
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const import::OsmExtract osm = import::read_osm(dir.file("national.osm.pbf"));
    const import::RailPath path = import::shortest_path(
        osm, import::find_station(osm, "Ovest 200").at, import::find_station(osm, "Est 200").at);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(took.count());
    state.counters["railway_km"] = static_cast<double>(osm.ways.size()) * 10;
    state.counters["path_km"] = import::near_length(path) / 1000;
  }
}
BENCHMARK(BM_NationalExtractRouteWays)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
}  // namespace scenario::bench

// The import's fits on a generated 1,000 km line: curves, gradients and kilometrage together.
#include <benchmark/benchmark.h>

#include "import/alignment_fit.h"
#include "import/gradient_fit.h"
#include "import/kilometrage_fit.h"
#include "support/alignment_generator.h"

namespace {

const scenario::testing::GeneratedAlignment& line_of(double length) {
  static const scenario::testing::GeneratedAlignment line = [&] {
    scenario::testing::AlignmentOptions o;
    o.length = length;
    return scenario::testing::generate_alignment(o);
  }();
  return line;
}

void BM_FitImportedLine(benchmark::State& state) {
  const scenario::testing::GeneratedAlignment& g = line_of(995'000);
  std::vector<scenario::ElevationSample> samples;
  for (double d = 0; d <= g.length(); d += 20) samples.push_back({d, g.terrain(d), true});
  std::vector<scenario::Span> spans = g.tunnels;
  spans.insert(spans.end(), g.bridges.begin(), g.bridges.end());
  for (auto _ : state) {
    const scenario::CurveFit curves = scenario::fit_curves(g.nodes);
    const scenario::GradientFit gradients =
        scenario::fit_gradients(samples, spans, curves.route_end);
    const scenario::KilometrageFit km = scenario::fit_kilometrage(g.marks, curves.route_end);
    benchmark::DoNotOptimize(curves.rows.data());
    benchmark::DoNotOptimize(gradients.rows.data());
    benchmark::DoNotOptimize(km.progressives.data());
    state.counters["curve_rows"] = static_cast<double>(curves.rows.size());
    state.counters["max_offset_m"] = curves.max_offset;
  }
}
BENCHMARK(BM_FitImportedLine)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

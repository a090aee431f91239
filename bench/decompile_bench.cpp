// decompile: the 1,000 km route as a whole process and in process, and the round trip over 300
// varied generated scenarios.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "bench_support.h"
#include "decompile/compile_in_memory.h"
#include "decompile/decompile.h"
#include "format/file_names.h"
#include "support/scenario_generator.h"

namespace scenario::bench {
namespace {

decompile::CompiledBytes compiled_bytes(const testing::GeneratedSources& g) {
  const Identity id{"G", "1"};
  const decompile::InMemoryCompile c = decompile::compile_in_memory(id, g.line, g.train);
  decompile::CompiledImages images = decompile::images_of(*c.state);
  decompile::CompiledBytes b;
  b.curve_name = curve_file_name(id);
  b.general_name = general_file_name(id);
  b.track_name = track_file_name(id);
  b.curve = std::move(images.curve);
  b.general = std::move(images.general);
  b.track = std::move(images.track);
  return b;
}

// scenario-tool decompile of a generated route of range 0 km, into a fresh directory.
void BM_ToolDecompileProcess(benchmark::State& state) {
  ScratchDir sources, compiled;
  generated_sources_in(sources.path(), static_cast<int32_t>(state.range(0)));
  if (run_child(SCENARIO_TOOL_EXE, {"compile", "-o", compiled.path(), sources.path()})
          .exit_status != 0) {
    state.SkipWithError("scenario-tool compile failed");
    return;
  }
  int64_t peak_rss = 0;
  for (auto _ : state) {
    ScratchDir out;
    const ChildRun run =
        run_child(SCENARIO_TOOL_EXE, {"decompile", "-o", out.path(), compiled.path()});
    if (run.exit_status != 0) {
      state.SkipWithError("scenario-tool decompile failed");
      break;
    }
    state.SetIterationTime(run.seconds);
    peak_rss = std::max(peak_rss, run.max_rss_kib);
  }
  state.counters["peak_rss_MiB"] = static_cast<double>(peak_rss) / 1024;
}
BENCHMARK(BM_ToolDecompileProcess)
    ->ArgName("km")
    ->Arg(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// decompile in process, the bytes already in memory: decoding, recovery and the check compile.
void BM_Decompile(benchmark::State& state) {
  const decompile::CompiledBytes b =
      compiled_bytes(testing::generate_scenario(static_cast<int32_t>(state.range(0))));
  for (auto _ : state) {
    const decompile::DecompileOutcome d = decompile::decompile(b, "G", "1");
    if (!d.ok) {
      state.SkipWithError(d.error.c_str());
      break;
    }
  }
}
BENCHMARK(BM_Decompile)->ArgName("km")->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// 300 varied scenarios of every row kind, 20 to 200 km, over 300 seeds: each compiled,
// decompiled and the recovered sources compiled again, to the same bytes.
void BM_RoundTripVariedScenarios(benchmark::State& state) {
  constexpr int kScenarios = 300;
  int failed = 0;
  std::string first_failure;
  for (auto _ : state) {
    for (uint64_t seed = 1; seed <= kScenarios; ++seed) {
      const int km = 20 + static_cast<int>(seed * 37 % 181);
      const testing::GeneratedSources g =
          testing::generate_scenario(km, {.seed = seed, .every_row_kind = true});
      const decompile::CompiledBytes b = compiled_bytes(g);
      const decompile::DecompileOutcome d = decompile::decompile(b, "G", "1");
      const decompile::InMemoryCompile again =
          decompile::compile_in_memory({"G", "1"}, d.line_text, d.train_text);
      const decompile::CompiledImages images = decompile::images_of(*again.state);
      const bool same = d.ok && again.outcome.clean() && images.curve == b.curve &&
                        images.general == b.general && images.track == b.track;
      if (!same) {
        if (failed++ == 0) first_failure = "seed " + std::to_string(seed) + ": " + d.error;
      }
    }
  }
  state.counters["scenarios"] = kScenarios;
  state.counters["failed"] = failed;
  if (failed > 0) state.SkipWithError(first_failure.c_str());
}
BENCHMARK(BM_RoundTripVariedScenarios)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace scenario::bench

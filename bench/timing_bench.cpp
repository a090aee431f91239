// The running-time calculation on generated routes of growing length: reading the compiled
// files and computing the run, in process and as the tool's command, and the eco run.
#include <benchmark/benchmark.h>

#include <map>

#include "bench_support.h"
#include "compiler/compile.h"
#include "inspect/run_input.h"
#include "source/source_store.h"
#include "timing/running_time.h"

namespace scenario::bench {
namespace {

// The compiled files of a generated route of km kilometres, made once per length.
const std::string& compiled_dir(int32_t km) {
  static std::map<int32_t, std::unique_ptr<ScratchDir>> dirs;
  std::unique_ptr<ScratchDir>& d = dirs[km];
  if (!d) {
    d = std::make_unique<ScratchDir>();
    auto s = generated_sources_in(d->path(), km);
    DirectorySources sources(s->directory, DirectorySources::Policy::kKeep);
    write_outputs(*s, compile(*s, sources, 1), s->directory);
  }
  return d->path();
}

void BM_TimingGenerated(benchmark::State& state) {
  const auto km = static_cast<int32_t>(state.range(0));
  const std::string& dir = compiled_dir(km);
  for (auto _ : state) {
    const timing::RunInput in = load_run_input(dir, {"G", "1"});
    benchmark::DoNotOptimize(timing::compute_run(in, timing::TrainModel{}));
  }
  state.SetComplexityN(km);
}
BENCHMARK(BM_TimingGenerated)
    ->ArgName("km")
    ->Arg(100)
    ->Arg(300)
    ->Arg(1000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// A run alone, from the decoded input: the fastest (run:0) and the eco run (run:2), whose
// sections each find their cruising speed by bisection, every try a braking, an acceleration
// and a coasting pass over the section.
void BM_TimingRunGenerated(benchmark::State& state) {
  const auto km = static_cast<int32_t>(state.range(0));
  const timing::RunInput in = load_run_input(compiled_dir(km), {"G", "1"});
  timing::RunOptions o;
  o.kind = static_cast<timing::RunKind>(state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(timing::compute_run(in, timing::TrainModel{}, o));
}
BENCHMARK(BM_TimingRunGenerated)
    ->ArgNames({"km", "run"})
    ->Args({100, 2})
    ->Args({1000, 0})
    ->Args({1000, 2})
    ->Unit(benchmark::kMillisecond);

// scenario-tool timing as an author runs it, start to exit.
void BM_ToolTimingProcess(benchmark::State& state) {
  const std::string& dir = compiled_dir(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    const ChildRun run = run_child(SCENARIO_TOOL_EXE, {"timing", dir});
    if (run.exit_status != 0 && run.exit_status != 3) state.SkipWithError("timing failed");
    state.SetIterationTime(run.seconds);
  }
}
BENCHMARK(BM_ToolTimingProcess)
    ->ArgName("km")
    ->Arg(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario::bench

// The compile in process: the built-in scenario, the three writers, and generated routes of
// growing length.
#include <benchmark/benchmark.h>

#include <map>

#include "bench_support.h"
#include "compiler/compile.h"
#include "format/curve_image.h"
#include "format/general_image.h"
#include "format/replace_file.h"
#include "format/track_image.h"
#include "source/source_store.h"

namespace scenario::bench {
namespace {

// The compile as the authors' tool runs it: sources read from s.directory and kept, the
// compiled files written beside them.
void compile_or_fail(benchmark::State& state, BuildState& s) {
  DirectorySources sources(s.directory, DirectorySources::Policy::kKeep);
  const CompileOutcome outcome = compile(s, sources, 1);
  if (!outcome.clean()) state.SkipWithError("the compile did not end clean");
  write_outputs(s, outcome, s.directory);
}

void BM_MemorizzaPercorsoBuiltin(benchmark::State& state) {
  ScratchDir dir;
  builtin_sources_in(dir.path());
  for (auto _ : state) {
    // A fresh state each time, as the driver has; the sources stay for the next iteration.
    auto s = state_in(dir.path(), "Lindeva_Querno", "40716");
    compile_or_fail(state, *s);
  }
}
BENCHMARK(BM_MemorizzaPercorsoBuiltin)->Unit(benchmark::kMillisecond);

// The compiled state of the built-in scenario (km = 0) or of a generated route, built once for
// the writers.
const BuildState& compiled(int32_t km) {
  static ScratchDir dir;
  static std::map<int32_t, std::unique_ptr<BuildState>> states;
  std::unique_ptr<BuildState>& s = states[km];
  if (!s) {
    s = km == 0 ? builtin_sources_in(dir.path()) : generated_sources_in(dir.path(), km);
    DirectorySources sources(s->directory, DirectorySources::Policy::kKeep);
    compile(*s, sources, 1);
  }
  return *s;
}

template <typename Writer>
void write_image(benchmark::State& state, const std::string& name, Writer write) {
  // The same name each time: a compile that replaces its earlier files, as an author's does.
  ScratchDir dir;
  for (auto _ : state) {
    FileReplacer out(dir.file(name));
    write(out);
    out.commit();
  }
  const auto bytes = static_cast<int64_t>(read_file(dir.file(name)).size());
  state.SetBytesProcessed(state.iterations() * bytes);
}

// range 0: 0 for the built-in scenario, else the length of a generated route in km.
void BM_WriteCurveImage(benchmark::State& state) {
  const BuildState& s = compiled(static_cast<int32_t>(state.range(0)));
  write_image(state, "x_linea.dat", [&s](FileReplacer& out) { write_curve_image(out, s.curves); });
}
BENCHMARK(BM_WriteCurveImage)->ArgName("km")->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_WriteGeneralImage(benchmark::State& state) {
  const BuildState& s = compiled(0);
  write_image(state, "x.sim", [&s](FileReplacer& out) { write_general_image(out, s.general); });
}
BENCHMARK(BM_WriteGeneralImage)->Unit(benchmark::kMicrosecond);

void BM_WriteTrackImage(benchmark::State& state) {
  const BuildState& s = compiled(static_cast<int32_t>(state.range(0)));
  write_image(state, "x.dat", [&s](FileReplacer& out) { write_track_image(out, s.track); });
}
BENCHMARK(BM_WriteTrackImage)->ArgName("km")->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The whole compile, read to files, of generated routes: the complexity line shows how the
// cost grows with the route length (N = km).
void BM_CompileGenerated(benchmark::State& state) {
  ScratchDir dir;
  const auto km = static_cast<int32_t>(state.range(0));
  generated_sources_in(dir.path(), km);
  for (auto _ : state) {
    auto s = state_in(dir.path(), "G", "1");
    compile_or_fail(state, *s);
  }
  state.SetComplexityN(km);
}
BENCHMARK(BM_CompileGenerated)
    ->ArgName("km")
    ->Arg(100)
    ->Arg(300)
    ->Arg(1000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario::bench

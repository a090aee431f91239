// Whole processes, start to exit: scenario-build against copying what it leaves, and
// scenario-tool compile with its peak resident memory.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>

#include "bench_support.h"

namespace scenario::bench {
namespace {

// The six files a build leaves: three documents and three compiled files.
const std::vector<std::string>& build_outputs() {
  static const std::vector<std::string> names = {"Lindeva_Querno_40716_note.txt",
                                                 "Lindeva_Querno_40716_rallentamenti.txt",
                                                 "Lindeva_Querno_40716_scheda_treno.txt",
                                                 "Lindeva_Querno_linea.dat",
                                                 "Lindeva_Querno_40716.sim",
                                                 "Lindeva_Querno_40716.dat"};
  return names;
}

// Runs a copy of scenario-build in a fresh directory (it writes beside itself).
ChildRun build_in_fresh_dir() {
  ScratchDir dir;
  const std::string exe = dir.file("scenario-build");
  std::filesystem::copy_file(SCENARIO_BUILD_EXE, exe);
  return run_child(exe, {});
}

// Each iteration runs the build and then cp of its six files, each into a fresh directory, so
// that both see the same load; the iteration time is the build's.
void BM_ScenarioBuildAgainstCopy(benchmark::State& state) {
  ScratchDir reference;
  {
    const std::string exe = reference.file("scenario-build");
    std::filesystem::copy_file(SCENARIO_BUILD_EXE, exe);
    if (run_child(exe, {}).exit_status != 0) {
      state.SkipWithError("scenario-build failed");
      return;
    }
  }
  std::vector<std::string> cp_args;
  for (const std::string& name : build_outputs()) cp_args.push_back(reference.file(name));
  double build_total = 0, copy_total = 0;
  int64_t build_rss = 0;
  for (auto _ : state) {
    const ChildRun build = build_in_fresh_dir();
    ScratchDir target;
    std::vector<std::string> args = cp_args;
    args.push_back(target.path());
    const ChildRun copy = run_child("/bin/cp", args);
    if (build.exit_status != 0 || copy.exit_status != 0) {
      state.SkipWithError("scenario-build or cp failed");
      break;
    }
    state.SetIterationTime(build.seconds);
    build_total += build.seconds;
    copy_total += copy.seconds;
    build_rss = std::max(build_rss, build.max_rss_kib);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["build_ms"] = build_total / n * 1e3;
  state.counters["cp_ms"] = copy_total / n * 1e3;
  state.counters["build_over_cp"] = build_total / copy_total;
  state.counters["build_rss_MiB"] = static_cast<double>(build_rss) / 1024;
}
BENCHMARK(BM_ScenarioBuildAgainstCopy)->UseManualTime()->Unit(benchmark::kMillisecond);

// scenario-tool compile of a generated route of range 0 km, into a fresh output directory.
void BM_ToolCompileProcess(benchmark::State& state) {
  ScratchDir sources;
  generated_sources_in(sources.path(), static_cast<int32_t>(state.range(0)));
  int64_t peak_rss = 0;
  for (auto _ : state) {
    ScratchDir out;
    const ChildRun run = run_child(SCENARIO_TOOL_EXE, {"compile", "--name", "G", "--train", "1",
                                                       "-o", out.path(), sources.path()});
    if (run.exit_status != 0) {
      state.SkipWithError("scenario-tool compile failed");
      break;
    }
    state.SetIterationTime(run.seconds);
    peak_rss = std::max(peak_rss, run.max_rss_kib);
  }
  state.counters["peak_rss_MiB"] = static_cast<double>(peak_rss) / 1024;
}
BENCHMARK(BM_ToolCompileProcess)
    ->ArgName("km")
    ->Arg(100)
    ->Arg(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario::bench

// Whole processes, start to exit, in alternating rounds: scenario-build against cp of the six
// files it leaves and against the floor program that makes only its file system calls, and
// scenario-tool compile of a 100 km and a 1,000 km route with its peak resident memory, and the
// 1,000 km route recompiled into its own folder. Each
// reports the medians of its rounds and their ratios as counters; the time column is the mean
// of the build's (or the 1,000 km compile's) rounds.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "bench_support.h"

namespace scenario::bench {
namespace {

namespace fs = std::filesystem;

// Rounds per benchmark: SCENARIO_BENCH_ROUNDS, 21 by default.
int64_t rounds() {
  const char* env = std::getenv("SCENARIO_BENCH_ROUNDS");
  const int64_t n = env != nullptr ? std::atoll(env) : 0;
  return n > 0 ? n : 21;
}

// Deleting files slows the creation of new ones on this file system for a minute or more, so
// every run gets a fresh directory made before the rounds start, and all of them are removed
// only when the benchmark process ends, after the last measurement.
std::string fresh_dir() {
  static ScratchDir root;
  static int next = 0;
  const std::string path = root.file("run" + std::to_string(next++));
  fs::create_directory(path);
  return path;
}

// A directory holding program under its own name, for the programs that write beside
// themselves; a hard link, so that every run starts the same installed file.
std::string dir_with(const std::string& program) {
  const std::string dir = fresh_dir();
  const fs::path to = fs::path(dir) / fs::path(program).filename();
  std::error_code ec;
  fs::create_hard_link(program, to, ec);
  if (ec) fs::copy_file(program, to);
  return dir;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One contender of an alternating comparison: how to run it in round r, and its times.
struct Contender {
  std::function<ChildRun(int64_t)> run;
  std::vector<double> seconds;
  int64_t peak_rss_kib = 0;
};

// Runs every contender once per benchmark iteration, the order turning by one each round so
// that none always runs first; false when a run failed.
bool run_rounds(benchmark::State& state, std::vector<Contender>& contenders, size_t timed) {
  int64_t round = 0;
  for (auto _ : state) {
    double timed_seconds = 0;
    for (size_t i = 0; i < contenders.size(); ++i) {
      Contender& c = contenders[(i + static_cast<size_t>(round)) % contenders.size()];
      const ChildRun run = c.run(round);
      if (run.exit_status != 0) {
        state.SkipWithError("a run failed");
        return false;
      }
      c.seconds.push_back(run.seconds);
      c.peak_rss_kib = std::max(c.peak_rss_kib, run.max_rss_kib);
      if (&c == &contenders[timed]) timed_seconds = run.seconds;
    }
    state.SetIterationTime(timed_seconds);
    ++round;
  }
  return true;
}

// The five texts a build writes, in its order; the first two are the sources it reads back.
const std::vector<std::string> kTexts = {
    "Lindeva_Querno_linea.txt", "Lindeva_Querno_40716-.txt", "Lindeva_Querno_40716_note.txt",
    "Lindeva_Querno_40716_rallentamenti.txt", "Lindeva_Querno_40716_scheda_treno.txt"};
// The three compiled files, in the order they are written.
const std::vector<std::string> kCompiled = {"Lindeva_Querno_linea.dat", "Lindeva_Querno_40716.sim",
                                            "Lindeva_Querno_40716.dat"};

// The floor's steps: the build's eight files at the sizes the build gives them.
std::vector<std::string> floor_steps(const std::string& texts_dir, const std::string& built_dir) {
  const auto size_of = [](const std::string& path) { return std::to_string(fs::file_size(path)); };
  std::vector<std::string> steps;
  for (const std::string& t : kTexts)
    steps.push_back("w:" + t + ":" + size_of(texts_dir + "/" + t));
  steps.push_back("r:" + kTexts[0]);
  steps.push_back("r:" + kTexts[1]);
  for (const std::string& c : kCompiled)
    steps.push_back("w:" + c + ":" + size_of(built_dir + "/" + c));
  return steps;
}

void BM_ScenarioBuildAgainstCopyAndFloor(benchmark::State& state) {
  // The reference build, whose six files cp copies, and the five texts at the sizes it writes.
  const std::string reference = dir_with(SCENARIO_BUILD_EXE);
  const std::string build_name = fs::path(SCENARIO_BUILD_EXE).filename().string();
  const std::string floor_name = fs::path(SCENARIO_BENCH_FLOOR).filename().string();
  if (run_child(reference + "/" + build_name, {}).exit_status != 0) {
    state.SkipWithError("scenario-build failed");
    return;
  }
  const std::string texts = fresh_dir();
  builtin_sources_in(texts);
  const std::vector<std::string> steps = floor_steps(texts, reference);
  std::vector<std::string> cp_sources;
  for (const std::string& t : kTexts) {
    if (t != kTexts[0] && t != kTexts[1]) cp_sources.push_back(reference + "/" + t);
  }
  for (const std::string& c : kCompiled) cp_sources.push_back(reference + "/" + c);

  // Every directory exists before the first round; one more round warms the caches.
  const int64_t n = state.max_iterations + 1;
  std::vector<std::string> build_dirs, floor_dirs, cp_dirs;
  for (int64_t r = 0; r < n; ++r) {
    build_dirs.push_back(dir_with(SCENARIO_BUILD_EXE));
    floor_dirs.push_back(dir_with(SCENARIO_BENCH_FLOOR));
    cp_dirs.push_back(fresh_dir());
  }
  std::vector<Contender> c(3);
  c[0].run = [&](int64_t r) { return run_child(build_dirs[r] + "/" + build_name, {}); };
  c[1].run = [&](int64_t r) {
    std::vector<std::string> args = cp_sources;
    args.push_back(cp_dirs[r]);
    return run_child("/bin/cp", args);
  };
  c[2].run = [&](int64_t r) { return run_child(floor_dirs[r] + "/" + floor_name, steps); };
  for (Contender& one : c) {
    if (one.run(n - 1).exit_status != 0) {
      state.SkipWithError("the warm-up round failed");
      return;
    }
  }
  if (!run_rounds(state, c, 0)) return;
  const double build = median(c[0].seconds), copy = median(c[1].seconds);
  const double floor = median(c[2].seconds);
  state.counters["build_ms"] = build * 1e3;
  state.counters["cp_ms"] = copy * 1e3;
  state.counters["floor_ms"] = floor * 1e3;
  state.counters["build_over_cp"] = build / copy;
  state.counters["build_over_floor"] = build / floor;
  state.counters["floor_over_cp"] = floor / copy;
  state.counters["build_rss_MiB"] = static_cast<double>(c[0].peak_rss_kib) / 1024;
}
BENCHMARK(BM_ScenarioBuildAgainstCopyAndFloor)
    ->Iterations(rounds())
    ->Repetitions(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// scenario-tool compile of generated routes of 100 and 1,000 km, each run into a fresh output
// directory.
void BM_ToolCompileProcess(benchmark::State& state) {
  const int32_t kms[2] = {100, 1000};
  const int64_t n = state.max_iterations + 1;
  std::vector<Contender> c(2);
  std::vector<std::string> sources(2);
  std::vector<std::vector<std::string>> outs(2);
  for (int i = 0; i < 2; ++i) {
    sources[i] = fresh_dir();
    generated_sources_in(sources[i], kms[i]);
    for (int64_t r = 0; r < n; ++r) outs[i].push_back(fresh_dir());
    c[i].run = [&, i](int64_t r) {
      return run_child(SCENARIO_TOOL_EXE,
                       {"compile", "--name", "G", "--train", "1", "-o", outs[i][r], sources[i]});
    };
  }
  for (Contender& one : c) {
    if (one.run(n - 1).exit_status != 0) {
      state.SkipWithError("scenario-tool compile failed");
      return;
    }
  }
  if (!run_rounds(state, c, 1)) return;
  const double km100 = median(c[0].seconds), km1000 = median(c[1].seconds);
  state.counters["km100_ms"] = km100 * 1e3;
  state.counters["km1000_ms"] = km1000 * 1e3;
  state.counters["km1000_over_km100"] = km1000 / km100;
  state.counters["km1000_rss_MiB"] = static_cast<double>(c[1].peak_rss_kib) / 1024;
}
BENCHMARK(BM_ToolCompileProcess)
    ->Iterations(rounds())
    ->Repetitions(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// An author's loop: scenario-tool compile of the generated 1,000 km route into the folder it
// compiled into before, with the line unchanged and with the line changed (a curve in the
// middle of the route turned the other way, so that half the 20 MB curve file differs; the
// change is undone in the next round, so that every round changes it), against a compile into
// a fresh folder.
void BM_ToolRecompileProcess(benchmark::State& state) {
  const int64_t n = state.max_iterations + 1;
  const std::string source = fresh_dir();
  generated_sources_in(source, 1000);
  // The other line: the same sources with one curve row turned.
  const std::string turned = fresh_dir();
  generated_sources_in(turned, 1000);
  std::string line = read_file(turned + "/G_linea.txt");
  std::vector<size_t> curves;
  for (size_t at = line.find("\ncurva"); at != std::string::npos;
       at = line.find("\ncurva", at + 1)) {
    curves.push_back(at + 1);
  }
  if (curves.empty()) {
    state.SkipWithError("no curve row in the line");
    return;
  }
  const size_t at = curves[curves.size() / 2] + 5;
  line[at] = line[at] == 's' ? 'd' : 's';
  write_file(turned + "/G_linea.txt", line);

  const std::string same = fresh_dir(), changed = fresh_dir();
  std::vector<std::string> fresh;
  for (int64_t r = 0; r < n; ++r) fresh.push_back(fresh_dir());
  const auto compile = [](const std::string& from, const std::string& into) {
    return run_child(SCENARIO_TOOL_EXE,
                     {"compile", "--name", "G", "--train", "1", "-o", into, from});
  };
  std::vector<Contender> c(3);
  c[0].run = [&](int64_t) { return compile(source, same); };
  c[1].run = [&](int64_t r) { return compile(r % 2 == 0 ? turned : source, changed); };
  c[2].run = [&](int64_t r) { return compile(source, fresh[r]); };
  // The warm-up leaves each folder as the first round expects it.
  if (compile(source, same).exit_status != 0 || compile(source, changed).exit_status != 0 ||
      c[2].run(n - 1).exit_status != 0) {
    state.SkipWithError("scenario-tool compile failed");
    return;
  }
  if (!run_rounds(state, c, 0)) return;
  const double unchanged = median(c[0].seconds), turned_ms = median(c[1].seconds);
  const double into_fresh = median(c[2].seconds);
  state.counters["unchanged_ms"] = unchanged * 1e3;
  state.counters["changed_ms"] = turned_ms * 1e3;
  state.counters["fresh_ms"] = into_fresh * 1e3;
  state.counters["unchanged_over_fresh"] = unchanged / into_fresh;
  state.counters["changed_over_fresh"] = turned_ms / into_fresh;
}
BENCHMARK(BM_ToolRecompileProcess)
    ->Iterations(rounds())
    ->Repetitions(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario::bench

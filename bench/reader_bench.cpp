// The source reader: the field stream alone, then both sources into the build state.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_support.h"
#include "compiler/memorizza_dati.h"
#include "source/field_stream.h"
#include "source/text_match.h"
#include "support/scenario_generator.h"

namespace scenario::bench {
namespace {

// How many number fields follow a line source keyword (a board has a text after its number).
int numbers_after(std::string_view k) {
  if (contains_ci(k, "indicatori_v")) return 9;
  if (contains_ci(k, "progressiva") || contains_ci(k, "montagna")) return 3;
  if (contains_ci(k, "curva") || contains_ci(k, "pendenza") || contains_ci(k, "ripetizione")) {
    return 2;
  }
  if (contains_ci(k, "lunghezza") || contains_ci(k, "sfondo") || contains_ci(k, "cartello")) {
    return 1;
  }
  return 0;
}

// The reads a line source takes, the way the line reader takes them: a keyword field, then its
// values. Worked out once, so that the timed loop does no keyword matching.
enum class Read : uint8_t { kKeyword, kNumber, kText };
std::vector<Read> reads_of(const std::string& source) {
  std::vector<Read> reads;
  FieldStream in{std::string(source)};
  while (!in.at_end()) {
    const Field keyword = in.read_text();
    reads.push_back(Read::kKeyword);
    for (int n = numbers_after(keyword.text); n > 0; --n) {
      in.read_number();
      reads.push_back(Read::kNumber);
    }
    if (contains_ci(keyword.text, "cartello")) {
      in.read_text();
      reads.push_back(Read::kText);
    }
  }
  return reads;
}

// The 1,000 km generated line source (copies = 1), or its body repeated to several MB, which
// no longer fits the caches.
std::string line_source(int64_t copies) {
  const std::string line = testing::generate_scenario(1000).line;
  const size_t body = line.find("[curve]");
  std::string s = line.substr(0, line.rfind("[fine]"));
  for (int64_t i = 1; i < copies; ++i) s += line.substr(body, line.rfind("[fine]") - body);
  return s + "[fine]\r\n";
}

void BM_FieldStream(benchmark::State& state) {
  const std::string source = line_source(state.range(0));
  const std::vector<Read> reads = reads_of(source);
  for (auto _ : state) {
    // The copy stands for the reader's load; it is a few per cent of the time.
    FieldStream in{std::string(source)};
    int64_t sum = 0;
    for (const Read r : reads) {
      switch (r) {
        case Read::kKeyword:
          // The reader asks for the end before and after each keyword field.
          sum += in.at_end();
          sum += static_cast<int64_t>(in.read_text().text.size());
          sum += in.at_end();
          break;
        case Read::kNumber:
          sum += in.read_number();
          break;
        case Read::kText:
          sum += static_cast<int64_t>(in.read_text().text.size());
          break;
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
  state.counters["source_KiB"] = static_cast<double>(source.size()) / 1024;
}
BENCHMARK(BM_FieldStream)->ArgName("copies")->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);

// Reads both sources of the built-in scenario (km = 0) or of a generated route of km kilometres
// into the build state, as the compile's reading step: no post-processing, no files.
void BM_MemorizzaDati(benchmark::State& state) {
  ScratchDir dir;
  const auto km = static_cast<int32_t>(state.range(0));
  std::unique_ptr<BuildState> s =
      km == 0 ? builtin_sources_in(dir.path()) : generated_sources_in(dir.path(), km);
  for (auto _ : state) {
    s->build_flag = 1;
    s->read_status = 0;
    s->general.reset();
    s->track = TrackArray{};
    s->curves.clear();
    DirectorySources sources(s->directory, DirectorySources::Policy::kKeep);
    memorizza_dati(*s, sources);
    if (s->read_status != 0) state.SkipWithError("the sources do not read clean");
    benchmark::DoNotOptimize(s->track.blocks().data());
  }
}
BENCHMARK(BM_MemorizzaDati)->ArgName("km")->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario::bench

// The order of the rows that put approach marks on the track. Signal and station rows write
// mark11 without testing what the block holds, so where their marks meet, the row read last
// leaves its own: the recovered rows are put in an order that leaves every mark as the files
// hold it.
#include <algorithm>
#include <queue>
#include <tuple>
#include <utility>

#include "decompile/recover.h"
#include "model/rounding.h"

namespace scenario::decompile {
namespace {

struct Mark {
  int64_t block;
  uint8_t value;
};

// A row that writes approach marks: a station (slot index + 1 order) or a signal.
struct Marker {
  int64_t position = 0;
  bool station = false;
  size_t index = 0;  // into rows.stations or rows.signals
  std::vector<Mark> marks;
};

// The marks the readers write for a signal row, with its recovered fields.
std::vector<Mark> signal_marks(const SignalRow& s, int64_t blocks) {
  const int64_t g = round_to_int(s.fields[0] / 50.0 + 1);
  const int64_t a = 3LL * s.fields[1] + s.fields[6];
  std::vector<Mark> marks;
  for (int i = 1; i <= 4; ++i) {
    const int64_t at = g - 2 * i;
    if (at >= 0 && at < blocks) marks.push_back({at, static_cast<uint8_t>(a * 10 + i)});
  }
  return marks;
}

// The marks of the station in slot k: 81 to 84 before its stop marker, for the kinds that have
// them.
std::vector<Mark> station_marks(const GeneralEntry& e, int64_t blocks) {
  std::vector<Mark> marks;
  if (e.code >= 25 || e.code == 5 || e.code == 6) return marks;
  for (int i = 1; i <= 4; ++i) {
    const double x = e.long2 / 50.0 - i - 1;
    const int64_t at = round_to_int(x);
    if (x > 1 && at < blocks) marks.push_back({at, static_cast<uint8_t>(80 + i)});
  }
  return marks;
}

}  // namespace

void order_marking_rows(const CompiledFiles& f, TrainRows& rows) {
  const auto blocks = static_cast<int64_t>(f.blocks.size());
  std::vector<Marker> markers;
  for (size_t k = 0; k < rows.stations.size(); ++k) {
    markers.push_back({rows.stations[k].fields[0], true, k,
                       station_marks(f.general[static_cast<int>(k) + 1], blocks)});
  }
  for (size_t i = 0; i < rows.signals.size(); ++i) {
    markers.push_back({rows.signals[i].fields[0], false, i, signal_marks(rows.signals[i], blocks)});
  }

  // Built from the back: a row may be read last of those left when each of its marks either
  // is what the block holds or lies on a block that a row read after it already settles.
  // Taking such a row never stops another from being taken later, so this finds an order
  // whenever one exists.
  std::vector<size_t> pending(markers.size(), 0);
  std::vector<std::pair<int64_t, size_t>> waiting;  // (block, marker) of marks that differ
  for (size_t m = 0; m < markers.size(); ++m) {
    for (const Mark& k : markers[m].marks) {
      if (f.blocks[static_cast<size_t>(k.block)].mark11 == k.value) continue;
      ++pending[m];
      waiting.emplace_back(k.block, m);
    }
  }
  std::sort(waiting.begin(), waiting.end());
  // Stations keep their slot order: one is read only after the one before it.
  for (size_t k = 0; k + 1 < rows.stations.size(); ++k) ++pending[k];

  // Among the rows that may come last, signals before stations and the furthest along the
  // route first: where no marks meet, every station comes before every signal and the signals
  // stay in route order, as the sections are written.
  const auto later = [&](size_t a, size_t b) {
    return std::tuple(!markers[a].station, markers[a].position, a) <
           std::tuple(!markers[b].station, markers[b].position, b);
  };
  std::priority_queue<size_t, std::vector<size_t>, decltype(later)> ready(later);
  for (size_t m = 0; m < markers.size(); ++m) {
    if (pending[m] == 0) ready.push(m);
  }
  const auto release = [&](size_t m) {
    if (--pending[m] == 0) ready.push(m);
  };
  std::vector<bool> settled(f.blocks.size(), false);
  std::vector<size_t> reversed;
  while (!ready.empty()) {
    const size_t m = ready.top();
    ready.pop();
    reversed.push_back(m);
    for (const Mark& k : markers[m].marks) {
      const auto b = static_cast<size_t>(k.block);
      if (settled[b] || f.blocks[b].mark11 != k.value) continue;
      settled[b] = true;
      const auto from =
          std::lower_bound(waiting.begin(), waiting.end(), std::pair(k.block, size_t{0}));
      for (auto w = from; w != waiting.end() && w->first == k.block; ++w) release(w->second);
    }
    if (markers[m].station && markers[m].index > 0) release(markers[m].index - 1);
  }
  // No order leaves these marks: the rows stay in route order, and the final comparison names
  // the first mark that differs.
  if (reversed.size() != markers.size()) return;

  std::vector<SignalRow> signals;
  rows.signals_before_station.clear();
  for (auto m = reversed.rbegin(); m != reversed.rend(); ++m) {
    const Marker& r = markers[*m];
    if (r.station) {
      rows.signals_before_station.push_back(signals.size());
    } else {
      signals.push_back(rows.signals[r.index]);
    }
  }
  rows.signals = std::move(signals);
}

}  // namespace scenario::decompile

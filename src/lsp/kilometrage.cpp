#include "lsp/kilometrage.h"

#include <cstdio>
#include <cstdlib>

#include "model/rounding.h"

namespace scenario::lsp {

std::vector<Progressive> progressives_of(const SourceOutline& line) {
  std::vector<Progressive> out;
  for (const OutlineRow& row : line.rows) {
    if (row.kind == nullptr || row.values.size() != 3) continue;
    const RowKindId id = row.kind->id;
    if (id != RowKindId::kProgressiveUno && id != RowKindId::kProgressiveDue &&
        id != RowKindId::kProgressiveTre) {
      continue;
    }
    const Progressive p{row.values[0].number, row.values[1].number, row.values[2].number};
    if (p.start == 0 && p.value == 0 && p.direction == 0) continue;
    out.push_back(p);
  }
  return out;
}

std::optional<int64_t> kilometre_at(const std::vector<Progressive>& progressives, int64_t p) {
  const Progressive* best = nullptr;
  for (const Progressive& g : progressives) {
    if (g.start <= p && (best == nullptr || g.start > best->start)) best = &g;
  }
  if (best == nullptr) return std::nullopt;
  // The value is the line's kilometre at route position 0, as the timetable sheet reads it: the
  // built-in's second progressive (88500 from 75750) puts km 13.030 at 75470 m.
  return best->direction == 1 ? best->value - p : best->value + p;
}

std::string kilometre_text(int64_t metres) {
  const int64_t m = std::llabs(metres);
  char buf[48];
  std::snprintf(buf, sizeof buf, "km %s%lld+%03lld", metres < 0 ? "-" : "",
                static_cast<long long>(m / 1000), static_cast<long long>(m % 1000));
  return buf;
}

int64_t block_of(int64_t p) { return round_to_int(static_cast<double>(p) / 50.0); }

}  // namespace scenario::lsp

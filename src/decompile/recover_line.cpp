// The line source's rows: general values, plan curves, gradients, mountain ranges and boards.
#include <algorithm>
#include <map>

#include "decompile/block_steps.h"
#include "decompile/recover.h"
#include "decompile/source_text.h"
#include "format/marks.h"
#include "format/track_image.h"
#include "line_reader/curve_classes.h"
#include "line_reader/progressive_ordina.h"

namespace scenario::decompile {
namespace {

// A range that marks nothing but moves the end that the next range's gap is measured from.
constexpr MountainRow kGapBreaker{0, -1000, 0};

std::string at_block(const FileNames& n, int64_t b) {
  return n.track + ": block " + std::to_string(b);
}

void recover_progressives(const GeneralTable& g, const FileNames& names, LineRows& rows) {
  // Undo the offset of a direction 1, then find the rows that the ordering puts back in place.
  Progressive compiled[3];
  for (int i = 0; i < 3; ++i) {
    const GeneralEntry& e = g[81 + i];
    int64_t value = e.long2;
    if (e.long3 == 1) value -= GeneralTable::kFallingProgressiveOffset;
    if (value < INT32_MIN) {
      throw Inconsistency(names.general + ": slot " + std::to_string(81 + i) +
                          " holds a kilometre value that no progressive row gives");
    }
    compiled[i] = {e.long1, static_cast<int32_t>(value), e.long3};
  }
  // Rows tre, due, uno fill slots 81, 82, 83. Of the orders that give the slots back, the one
  // that leaves the later rows empty: "uno" first, as an author fills them.
  static constexpr int kOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                        {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  const auto used = [](const Progressive& p) {
    return p.start != 0 || p.value != 0 || p.direction != 0;
  };
  int best = -1, best_score = 0;
  for (int o = 0; o < 6; ++o) {
    const auto& order = kOrders[o];
    GeneralTable t;
    for (int i = 0; i < 3; ++i) {
      const Progressive& p = compiled[order[i]];
      t[81 + i].long1 = p.start;
      t[81 + i].long2 = p.value;
      t[81 + i].long3 = p.direction;
    }
    progressive_ordina(t);
    bool same = true;
    for (int i = 0; i < 3; ++i) {
      same = same && t[81 + i].long1 == g[81 + i].long1 && t[81 + i].long2 == g[81 + i].long2 &&
             t[81 + i].long3 == g[81 + i].long3;
    }
    const int score = 2 * used(compiled[order[0]]) + used(compiled[order[1]]);
    if (same && (best < 0 || score < best_score)) {
      best = o;
      best_score = score;
    }
  }
  if (best >= 0) {
    rows.tre = compiled[kOrders[best][0]];
    rows.due = compiled[kOrders[best][1]];
    rows.uno = compiled[kOrders[best][2]];
    return;
  }
  throw Inconsistency(names.general +
                      ": slots 81 to 83: no order of three kilometre progressives gives them");
}

// The class of the step into metre m: 0 straight, +d a right curve of digit d, -d a left one;
// 99 when the step follows none.
int step_class(const double* x, const double* y, int64_t m, int hint) {
  const double x1 = x[m - 1], y1 = y[m - 1];
  const double dx = x1 - x[m - 2];
  const double dy = y1 - y[m - 2];
  const auto fits = [&](int c) {
    if (c == 0) return x[m] == x1 + dx && y[m] == y1 + dy;
    // Left curves turn by a negative curvature; the reader's own order of operations.
    const double k = c > 0 ? kCurveClassCurvature[c - 1] : -kCurveClassCurvature[-c - 1];
    return x[m] == x1 + dx + k * dy && y[m] == y1 + dy - k * dx;
  };
  if (fits(hint)) return hint;
  for (int c = 0; c <= 6; ++c) {
    if (c != hint && fits(c)) return c;
    if (c > 0 && -c != hint && fits(-c)) return -c;
  }
  return 99;
}

void recover_curves(const CurveTable& c, int64_t n, const FileNames& names, LineRows& rows) {
  const int64_t e = c.last_metre();
  const auto is = [&](int64_t m, CellKind k) { return c.kind(m, 0) == k && c.kind(m, 1) == k; };
  if (!is(0, CellKind::kInt16) || !is(1, CellKind::kInt16) || c.value(0, 0) != 0 ||
      c.value(0, 1) != 0 || c.value(1, 0) != 0 || c.value(1, 1) != 1) {
    throw Inconsistency(names.curve +
                        ": metres 0 and 1 are not the integer start cells (0, 0) and (0, 1)");
  }
  // Doubles from metre 2 on; the last two metres only where a curve reached them.
  int64_t last = 1;
  for (int64_t m = 2; m <= e; ++m) {
    if (is(m, CellKind::kDouble)) {
      if (last != m - 1) break;
      last = m;
    } else if (m <= e - 2 || !is(m, CellKind::kEmpty)) {
      throw Inconsistency(names.curve + ": metre " + std::to_string(m) +
                          " is not a computed point (double cells run from metre 2 to E - 2)");
    }
  }
  for (int64_t m = last + 1; m <= e; ++m) {
    if (!is(m, CellKind::kEmpty)) {
      throw Inconsistency(names.curve + ": metre " + std::to_string(m) +
                          " holds a point after an empty metre");
    }
  }
  const double* x = c.values(0).data();
  const double* y = c.values(1).data();
  // The latest start a curve row may give: later ones fail the reader's position test.
  const int64_t latest_start = 50 * n - 100;
  int hint = 0;
  int64_t previous_end = 1;  // the last metre of the previous curve
  for (int64_t m = 2; m <= last;) {
    const int cls = step_class(x, y, m, hint);
    if (cls == 99) {
      throw Inconsistency(names.curve + ": the plan step into metre " + std::to_string(m) +
                          " is neither straight nor a curve of the six sharpnesses");
    }
    hint = cls;
    if (cls == 0) {
      if (m > e - 2) {
        throw Inconsistency(names.curve + ": metre " + std::to_string(m) +
                            " is straight beyond E - 2, where the plan's straight tail ends");
      }
      ++m;
      continue;
    }
    const int64_t first = m;
    while (m + 1 <= last && step_class(x, y, m + 1, cls) == cls) ++m;
    int64_t start = first - 1;
    if (start > latest_start) {
      // A curve that follows another one directly may start further back: it turns from the
      // next metre to be computed all the same.
      if (previous_end != first - 1) {
        throw Inconsistency(names.curve + ": the plan turns at metre " + std::to_string(first) +
                            ", nearer the end than a curve row may start");
      }
      start = latest_start;
    }
    rows.curves.push_back({cls < 0, cls < 0 ? -cls : cls, static_cast<int32_t>(start),
                           static_cast<int32_t>(m - start)});
    previous_end = m;
    ++m;
  }
}

void recover_mountains(const std::vector<TrackBlock>& blocks, LineRows& rows) {
  const int64_t n = static_cast<int64_t>(blocks.size()) - 1;
  bool have_previous = false;
  int64_t previous_end = 0;
  for (int64_t b = 0; b <= n; ++b) {
    const uint8_t kind = blocks[static_cast<size_t>(b)].mark12;
    if (kind == 0) continue;
    const int64_t first = b;
    while (b + 1 <= n && blocks[static_cast<size_t>(b + 1)].mark12 == kind) ++b;
    bool periodic = kind > 10;  // only a periodic row kind leaves more than 10
    for (int64_t i = first + 3; i <= b && !periodic; i += 4) {
      periodic = blocks[static_cast<size_t>(i)].code == kMountainFiller;
    }
    const MountainRow row{static_cast<int32_t>(first * 50), static_cast<int32_t>((b + 1) * 50),
                          periodic ? kind + 10 : kind};
    // A range that starts 150 m or less after the previous one's end becomes kind 3.
    if (have_previous && row.start - previous_end <= 150 && kind != 3) {
      rows.mountains.push_back(kGapBreaker);
    }
    rows.mountains.push_back(row);
    previous_end = row.end;
    have_previous = true;
  }
}

SpeedBoardRow speed_board(int64_t b, const TrackBlock& t) {
  SpeedBoardRow r;
  r.position = static_cast<int32_t>((b - 1) * 50);
  const int32_t v[3] = {t.value1, t.value2, t.value3};
  // Both groups alike (s × 20 + s / 5 = 20.2 s) where every pair allows it; else the first
  // group takes the whole 20s and the second the rest.
  const bool alike = std::all_of(v, v + 3, [](int32_t x) { return (5 * x) % 101 == 0; });
  for (int i = 0; i < 3; ++i) {
    if (alike) {
      r.first[i] = r.second[i] = 5 * v[i] / 101;
    } else {
      const int32_t s = v[i] >= 0 ? v[i] / 20 : -((-v[i] + 19) / 20);
      r.first[i] = s;
      r.second[i] = 5 * (v[i] - 20 * s);
    }
  }
  r.first_code = t.value4 / 10;
  r.second_code = t.value4 % 10;
  r.second_empty = !alike && r.second_code == 0 &&
                   std::all_of(r.second.begin(), r.second.end(), [](int32_t s) { return s == 0; });
  return r;
}

void recover_boards(const CompiledFiles& f, const std::vector<TrackBlock>& blocks,
                    const FileNames& names, LineRows& rows) {
  std::map<int, int64_t> block_of_slot;
  for (size_t b = 0; b < blocks.size(); ++b) {
    if (blocks[b].code != kIndicationBoard) continue;
    const int slot = blocks[b].value1;
    if (slot < 1 || slot > GeneralTable::kFirstBoardSlot) {
      throw Inconsistency(at_block(names, static_cast<int64_t>(b)) + " is a board of slot " +
                          std::to_string(slot) + ", outside the board slots 1 to 80");
    }
    if (!block_of_slot.emplace(slot, static_cast<int64_t>(b)).second) {
      throw Inconsistency(at_block(names, static_cast<int64_t>(b)) + " is a second board of slot " +
                          std::to_string(slot));
    }
  }
  int stations = 0;
  while (stations + 1 < GeneralTable::kFirstBoardSlot &&
         !(f.general[stations + 1] == GeneralEntry{})) {
    ++stations;
  }
  int lowest =
      block_of_slot.empty() ? GeneralTable::kFirstBoardSlot + 1 : block_of_slot.begin()->first;
  for (int s = GeneralTable::kFirstBoardSlot; s > stations; --s) {
    if (!f.general[s].text.empty() && s < lowest) lowest = s;
  }
  // A station's stop marker is written over whatever stood there: a board whose block no longer
  // shows it stood on one.
  std::vector<int64_t> covered;
  for (size_t b = 0; b < blocks.size(); ++b) {
    if (blocks[b].code == kStopMarker) covered.push_back(static_cast<int64_t>(b));
  }
  size_t next_covered = 0;
  for (int s = GeneralTable::kFirstBoardSlot; s >= lowest; --s) {
    int64_t b;
    if (const auto it = block_of_slot.find(s); it != block_of_slot.end()) {
      b = it->second;
    } else if (next_covered < covered.size()) {
      b = covered[next_covered++];
    } else {
      throw Inconsistency(names.general + ": slot " + std::to_string(s) +
                          " holds a board text, but no block of " + names.track +
                          " shows where the board stands");
    }
    const std::string& text = f.general[s].text;
    if (!text_field(text)) {
      throw Inconsistency(names.general + ": the board text of slot " + std::to_string(s) +
                          " needs quotes and holds a double quote: no source field can hold it");
    }
    rows.boards.push_back({static_cast<int32_t>((b - 1) * 50), text});
  }
}

}  // namespace

LineRows recover_line(const CompiledFiles& f, const FileNames& names) {
  LineRows rows;
  const GeneralTable& g = f.general;
  const int32_t length = g[84].long2;
  if (length < 0 || length > kMaxRouteLength) {
    throw Inconsistency(names.general + ": slot 84 gives a route length of " +
                        std::to_string(length) + " m, outside 0 to 1,000,000");
  }
  rows.route_length = length;
  const int64_t n = TrackArray::upper_index_for(length);
  if (static_cast<int64_t>(f.blocks.size()) != n + 1) {
    throw Inconsistency(names.track + " holds " + std::to_string(f.blocks.size()) +
                        " blocks; a route of " + std::to_string(length) + " m has " +
                        std::to_string(n + 1));
  }
  if (f.curves.last_metre() != static_cast<int64_t>(length) + kRunOutMetres) {
    throw Inconsistency(names.curve + " runs to metre " + std::to_string(f.curves.last_metre()) +
                        "; a route of " + std::to_string(length) + " m runs to metre " +
                        std::to_string(static_cast<int64_t>(length) + kRunOutMetres));
  }
  recover_progressives(g, names, rows);
  rows.background_uno = g[85].long1;
  rows.background_tre = g[85].long2;
  rows.background_due = g[85].long3;
  const GeneralEntry& rep = g[86];
  if (rep.long1 % 50 != 0 || rep.long2 % 50 != 0) {
    throw Inconsistency(names.general + ": slot 86 gives a cab-signal stretch of " +
                        std::to_string(rep.long1) + " to " + std::to_string(rep.long2) +
                        " m, not multiples of 50");
  }
  if (!(rep.long3 == 4 || rep.long3 == 9 || (rep.long3 == 0 && rep.long2 == 0))) {
    throw Inconsistency(names.general + ": slot 86 gives " + std::to_string(rep.long3) +
                        " repetition codes; a source gives 4 or 9 (0 when the stretch ends at 0)");
  }
  rows.repetition_start = rep.long1;
  rows.repetition_end = rep.long2;
  rows.repetition_codes = rep.long3 == 9 ? 9 : 4;

  recover_curves(f.curves, n, names, rows);
  for (const Step& s : mark_steps(f.blocks, &TrackBlock::mark14)) {
    rows.gradients.push_back({s.position, gradient_of_mark(static_cast<uint8_t>(s.value))});
  }
  recover_mountains(f.blocks, rows);
  for (size_t b = 0; b < f.blocks.size(); ++b) {
    if (f.blocks[b].code == kSpeedBoard) {
      rows.speed_boards.push_back(speed_board(static_cast<int64_t>(b), f.blocks[b]));
    }
  }
  recover_boards(f, f.blocks, names, rows);
  return rows;
}

}  // namespace scenario::decompile

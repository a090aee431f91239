#include "import/gradient_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace scenario {
namespace {

constexpr double kCell = 50;  // metres: one block of the track, where gradients change
// A stretch without valid samples shorter than this is spanned like a tunnel; a longer one is
// written level.
constexpr double kLongestGap = 200;
// Longest stretch the partition considers before merging, cells: bounds its work per cell.
constexpr size_t kLongestStretch = 200;

// Elevation per cell: the mean of the valid samples used in it.
struct Cell {
  double sum = 0;
  int count = 0;
  bool in_span = false;  // inside a tunnel or bridge: cannot hold a change of gradient
  bool touched = false;  // a tunnel or bridge covers some of it: no data there is expected
  double mean() const { return sum / count; }
};

// Prefix sums of a weighted straight-line regression of cell means against cell index.
class Sums {
 public:
  explicit Sums(const std::vector<Cell>& cells) : s_(cells.size() + 1) {
    for (size_t i = 0; i < cells.size(); ++i) {
      Row r = s_[i];
      if (cells[i].count > 0) {
        const long double x = static_cast<long double>(i), y = cells[i].mean();
        r.n += 1, r.x += x, r.xx += x * x, r.y += y, r.xy += x * y, r.yy += y * y;
      }
      s_[i + 1] = r;
    }
  }
  // Residual sum of squares of the best line through the cells from to to - 1 that hold
  // samples, and the line (value at cell index x: a + b x).
  double cost(size_t from, size_t to, double* a = nullptr, double* b = nullptr) const {
    const Row& p = s_[from];
    const Row& q = s_[to];
    const long double n = q.n - p.n;
    if (n < 1) {
      if (a) *a = 0;
      if (b) *b = 0;
      return 0;
    }
    const long double sx = q.x - p.x, sy = q.y - p.y;
    const long double sxx = q.xx - p.xx - sx * sx / n;
    const long double sxy = q.xy - p.xy - sx * sy / n;
    const long double syy = q.yy - p.yy - sy * sy / n;
    const long double slope = sxx > 1e-9 ? sxy / sxx : 0;
    if (b) *b = static_cast<double>(slope);
    if (a) *a = static_cast<double>(sy / n - slope * sx / n);
    return static_cast<double>(std::max<long double>(0, syy - slope * sxy));
  }
  long double count(size_t from, size_t to) const { return s_[to].n - s_[from].n; }

 private:
  struct Row {
    long double n = 0, x = 0, xx = 0, y = 0, xy = 0, yy = 0;
  };
  std::vector<Row> s_;
};

struct Piece {
  size_t from, to;  // cells
  double a, b;
};

// Cuts cells from to to - 1 into straight stretches of at least min_cells: least squares plus
// lambda per stretch, by dynamic programming, no cut inside a span; then neighbours merged
// where one line costs less than lambda more.
std::vector<Piece> partition(const std::vector<Cell>& cells, const Sums& sums, size_t from,
                             size_t to, size_t min_cells, double lambda) {
  const size_t n = to - from;
  const auto fitted = [&](size_t a, size_t b) {
    Piece p{a, b, 0, 0};
    sums.cost(a, b, &p.a, &p.b);
    return p;
  };
  if (n < 2 * min_cells) return {fitted(from, to)};
  constexpr double kNone = std::numeric_limits<double>::infinity();
  std::vector<double> best(n + 1, kNone);
  std::vector<size_t> back(n + 1, 0);
  best[0] = 0;
  // No cut inside a tunnel or bridge, nor within four cells of one: the stretch across it
  // must have data on both sides, so that it runs between the two ends.
  const auto can_cut = [&](size_t j) {
    if (j == 0 || j == n) return true;
    const size_t lo = from + j >= from + 4 ? from + j - 4 : from;
    for (size_t c = std::max(lo, from); c < std::min(from + j + 4, to); ++c) {
      if (cells[c].touched) return false;
    }
    return true;
  };
  for (size_t j = min_cells; j <= n; ++j) {
    if (!can_cut(j)) continue;
    const size_t lo = j > kLongestStretch ? j - kLongestStretch : 0;
    for (size_t i = lo; i + min_cells <= j; ++i) {
      if (best[i] == kNone) continue;
      const double c = best[i] + sums.cost(from + i, from + j) + lambda;
      if (c < best[j]) best[j] = c, back[j] = i;
    }
  }
  if (best[n] == kNone) return {fitted(from, to)};
  std::vector<size_t> cuts;
  for (size_t j = n; j > 0; j = back[j]) cuts.push_back(from + j);
  cuts.push_back(from);
  std::reverse(cuts.begin(), cuts.end());
  std::vector<std::pair<size_t, size_t>> runs;
  for (size_t k = 0; k + 1 < cuts.size(); ++k) runs.push_back({cuts[k], cuts[k + 1]});
  for (bool merged = true; merged;) {
    merged = false;
    std::vector<std::pair<size_t, size_t>> next;
    for (const auto& r : runs) {
      if (!next.empty() && sums.cost(next.back().first, r.second) -
                                   sums.cost(next.back().first, next.back().second) -
                                   sums.cost(r.first, r.second) <
                               lambda) {
        next.back().second = r.second;
        merged = true;
      } else {
        next.push_back(r);
      }
    }
    runs.swap(next);
  }
  std::vector<Piece> out;
  for (const auto& [a, b] : runs) out.push_back(fitted(a, b));
  return out;
}

}  // namespace

double profile_elevation(const std::vector<GradientRow>& rows, double position) {
  double z = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const double from = rows[i].position;
    if (position <= from) break;
    const double to =
        i + 1 < rows.size() ? std::min<double>(rows[i + 1].position, position) : position;
    z += rows[i].gradient * (to - from) / 1000;
  }
  return z;
}

GradientFit fit_gradients(const std::vector<ElevationSample>& samples,
                          const std::vector<Span>& spans, double route_length,
                          const GradientFitOptions& options) {
  if (!std::isfinite(route_length) || route_length < 0 || route_length > 1e6) {
    throw std::invalid_argument("route length out of range");
  }
  if (!(options.min_stretch > 0) || !(options.stretch_penalty >= 0) || options.max_gradient < 0 ||
      options.max_gradient > 100) {
    throw std::invalid_argument("gradient fit options out of range");
  }
  const size_t n = std::max<size_t>(1, static_cast<size_t>(std::ceil(route_length / kCell)));
  std::vector<Cell> cells(n);
  for (const Span& s : spans) {
    if (!std::isfinite(s.from) || !std::isfinite(s.to)) {
      throw std::invalid_argument("a tunnel or bridge with a non-finite end");
    }
    // Cells wholly inside; the cells of its ends keep their samples outside it.
    for (double p = std::ceil(s.from / kCell) * kCell; p + kCell <= s.to; p += kCell) {
      const size_t c = static_cast<size_t>(p / kCell);
      if (c < n) cells[c].in_span = true;
    }
    for (double p = std::floor(s.from / kCell) * kCell; p < s.to; p += kCell) {
      if (p >= 0 && static_cast<size_t>(p / kCell) < n)
        cells[static_cast<size_t>(p / kCell)].touched = true;
    }
  }
  const auto in_span = [&](double p) {
    for (const Span& s : spans) {
      if (p > s.from && p < s.to) return true;
    }
    return false;
  };
  std::vector<ElevationSample> used;
  for (const ElevationSample& s : samples) {
    if (!std::isfinite(s.position) || (s.valid && !std::isfinite(s.elevation))) {
      throw std::invalid_argument("an elevation sample with a non-finite value");
    }
    if (!s.valid || s.position < 0 || s.position > route_length || in_span(s.position)) continue;
    used.push_back(s);
    Cell& c = cells[std::min(n - 1, static_cast<size_t>(s.position / kCell))];
    c.sum += s.elevation;
    ++c.count;
  }

  // Runs of cells with data, apart from gaps of no data longer than the longest spanned gap
  // (tunnels and bridges are spanned whatever their length).
  std::vector<std::pair<size_t, size_t>> covered;
  GradientFit fit;
  {
    size_t i = 0;
    const size_t gap_cells = static_cast<size_t>(kLongestGap / kCell);
    size_t last_data = SIZE_MAX;
    size_t run_start = SIZE_MAX;
    for (i = 0; i < n; ++i) {
      if (cells[i].count == 0) continue;
      if (run_start == SIZE_MAX) {
        run_start = i;
      } else if (i - last_data > gap_cells + 1) {
        bool spanned = true;
        for (size_t k = last_data + 1; k < i; ++k) spanned = spanned && cells[k].touched;
        if (!spanned) {
          covered.push_back({run_start, last_data + 1});
          run_start = i;
        }
      }
      last_data = i;
    }
    if (run_start != SIZE_MAX) covered.push_back({run_start, last_data + 1});
  }
  // A covered run takes the cells up to the next one, or the ends, when its gap is short.
  std::vector<std::pair<size_t, size_t>> runs;  // cells, with a flag below: covered or not
  std::vector<bool> has_data;
  size_t at = 0;
  for (const auto& [a, b] : covered) {
    const size_t start = (a - at) * kCell <= kLongestGap ? at : a;
    if (start > at) {
      runs.push_back({at, start});
      has_data.push_back(false);
    }
    runs.push_back({start, b});
    has_data.push_back(true);
    at = b;
  }
  if (at < n) {
    if (!runs.empty() && has_data.back() && (n - at) * kCell <= kLongestGap) {
      runs.back().second = n;
    } else {
      runs.push_back({at, n});
      has_data.push_back(false);
    }
  }

  const Sums sums(cells);
  const size_t min_cells =
      std::max<size_t>(1, static_cast<size_t>(std::ceil(options.min_stretch / kCell)));
  // Stretches of each run, as straight elevation pieces; then whole per mille gradients that
  // follow them, each carrying what rounding left over into the next.
  struct Written {
    size_t from, to;
    int32_t gradient;
    bool no_data;
    double z0;  // elevation of the written profile at its start
  };
  std::vector<Written> written;
  for (size_t r = 0; r < runs.size(); ++r) {
    const auto [a, b] = runs[r];
    if (!has_data[r]) {
      written.push_back({a, b, 0, true, 0});
      fit.uncovered.push_back({a * kCell, std::min(route_length, b * kCell)});
      continue;
    }
    const std::vector<Piece> pieces =
        partition(cells, sums, a, b, min_cells, options.stretch_penalty);
    // Elevation targets at the cuts: the mean of the two lines' values there.
    const auto value = [](const Piece& p, double x) { return p.a + p.b * x; };
    std::vector<double> target;
    target.push_back(value(pieces.front(), static_cast<double>(a) - 0.5));
    for (size_t k = 0; k + 1 < pieces.size(); ++k) {
      const double x = static_cast<double>(pieces[k].to) - 0.5;
      target.push_back((value(pieces[k], x) + value(pieces[k + 1], x)) / 2);
    }
    target.push_back(value(pieces.back(), static_cast<double>(b) - 0.5));
    double z = target.front();
    for (size_t k = 0; k < pieces.size(); ++k) {
      const double len = static_cast<double>(pieces[k].to - pieces[k].from) * kCell;
      const double want = (target[k + 1] - z) / len * 1000;
      const int32_t g = static_cast<int32_t>(
          std::clamp<double>(std::round(want), -options.max_gradient, options.max_gradient));
      written.push_back({pieces[k].from, pieces[k].to, g, false, z});
      z += g * len / 1000;
    }
  }

  // Rows, joined where neighbours share a gradient; the errors against the samples used.
  for (const Written& w : written) {
    const int32_t pos = static_cast<int32_t>(w.from * kCell);
    if (!fit.rows.empty() && fit.rows.back().gradient == w.gradient) continue;
    fit.rows.push_back({pos, w.gradient});
  }
  if (fit.rows.empty() || fit.rows.front().position != 0) fit.rows.insert(fit.rows.begin(), {0, 0});
  double sq = 0;
  size_t count = 0;
  for (const Written& w : written) {
    GradientStretch s;
    s.from = w.from * kCell;
    s.to = std::min(route_length, w.to * kCell);
    s.gradient = w.gradient;
    s.no_data = w.no_data;
    double ssq = 0;
    size_t k = 0;
    for (const ElevationSample& e : used) {
      if (e.position < s.from || e.position >= s.to || w.no_data) continue;
      const double err = e.elevation - (w.z0 + w.gradient * (e.position - s.from) / 1000);
      ssq += err * err;
      s.max_error = std::max(s.max_error, std::abs(err));
      ++k;
    }
    if (k > 0) s.rms_error = std::sqrt(ssq / static_cast<double>(k));
    sq += ssq;
    count += k;
    fit.max_error = std::max(fit.max_error, s.max_error);
    fit.stretches.push_back(s);
  }
  fit.rms_error = count > 0 ? std::sqrt(sq / static_cast<double>(count)) : 0;
  return fit;
}

}  // namespace scenario

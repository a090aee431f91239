#include "import/heading_segments.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scenario {
namespace {

// Prefix sums of a straight-line regression; long double because the distances of a long
// route make the sums of squares large against a piece's residual.
class LineSums {
 public:
  LineSums(const std::vector<double>& t, const std::vector<double>& h) : t0_(t.front()) {
    const size_t n = t.size();
    s_.assign(n + 1, {});
    for (size_t i = 0; i < n; ++i) {
      const long double x = t[i] - t0_, y = h[i];
      Sums& next = s_[i + 1];
      const Sums& prev = s_[i];
      next = {prev.n + 1, prev.x + x,      prev.xx + x * x,
              prev.y + y, prev.xy + x * y, prev.yy + y * y};
    }
  }

  // Residual sum of squares of the best line through samples i to j - 1, and the line.
  double cost(size_t i, size_t j, double* a = nullptr, double* b = nullptr, double ti = 0) const {
    const Sums& p = s_[i];
    const Sums& q = s_[j];
    const long double n = q.n - p.n;
    const long double sx = q.x - p.x, sy = q.y - p.y;
    const long double sxx = q.xx - p.xx - sx * sx / n;
    const long double sxy = q.xy - p.xy - sx * sy / n;
    const long double syy = q.yy - p.yy - sy * sy / n;
    const long double slope = sxx > 0 ? sxy / sxx : 0;
    if (b != nullptr) *b = static_cast<double>(slope);
    if (a != nullptr) {
      // Value of the line at distance ti (absolute).
      const long double mx = sx / n, my = sy / n;
      *a = static_cast<double>(my + slope * ((ti - t0_) - mx));
    }
    return static_cast<double>(std::max<long double>(0, syy - slope * sxy));
  }

 private:
  struct Sums {
    long double n = 0, x = 0, xx = 0, y = 0, xy = 0, yy = 0;
  };
  double t0_;
  std::vector<Sums> s_;
};

// Least noise variance of the heading, radians squared (0.0005 rad).
constexpr double kLeastVariance = 2.5e-7;

// The noise variance of the heading about straight lines over short windows: the median of the
// windows' mean squared residuals, so that the few windows across a change of curvature do
// not count.
double noise_variance(const LineSums& sums, size_t n, size_t window) {
  std::vector<double> v;
  for (size_t i = 0; i + window <= n; i += window) {
    v.push_back(sums.cost(i, i + window) / static_cast<double>(window - 2));
  }
  // A floor for a track drawn without noise: headings are never surer than this.
  if (v.empty()) return kLeastVariance;
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return std::max(v[v.size() / 2], kLeastVariance);
}

}  // namespace

std::vector<HeadingPiece> segment_heading(const std::vector<double>& t,
                                          const std::vector<double>& h, size_t min_samples,
                                          size_t max_samples, double penalty) {
  const size_t n = t.size();
  std::vector<HeadingPiece> pieces;
  if (n == 0) return pieces;
  const LineSums sums(t, h);
  const auto fitted = [&](size_t from, size_t to) {
    HeadingPiece p{from, to, 0, 0};
    sums.cost(from, to, &p.a, &p.b, t[from]);
    return p;
  };
  min_samples = std::max<size_t>(min_samples, 2);
  max_samples = std::max(max_samples, 2 * min_samples);
  if (n < 2 * min_samples) return {fitted(0, n)};

  const double lambda = penalty * noise_variance(sums, n, std::max<size_t>(min_samples, 20));
  // best[j]: least cost of samples 0 to j - 1 cut into pieces; from[j]: where its last starts.
  constexpr double kNone = std::numeric_limits<double>::infinity();
  std::vector<double> best(n + 1, kNone);
  std::vector<size_t> from(n + 1, 0);
  best[0] = 0;
  for (size_t j = min_samples; j <= n; ++j) {
    const size_t lo = j > max_samples ? j - max_samples : 0;
    for (size_t i = lo; i + min_samples <= j; ++i) {
      if (best[i] == kNone) continue;
      const double c = best[i] + sums.cost(i, j) + lambda;
      if (c < best[j]) {
        best[j] = c;
        from[j] = i;
      }
    }
  }
  std::vector<size_t> cuts;
  for (size_t j = n; j > 0; j = from[j]) cuts.push_back(j);
  cuts.push_back(0);
  std::reverse(cuts.begin(), cuts.end());

  // Pieces cut only for their length, and neighbours that one line fits nearly as well.
  std::vector<std::pair<size_t, size_t>> runs;
  for (size_t k = 0; k + 1 < cuts.size(); ++k) runs.push_back({cuts[k], cuts[k + 1]});
  // Passes from the start, each merging where it may, until one merges nothing.
  const auto extra = [&](const std::pair<size_t, size_t>& l, const std::pair<size_t, size_t>& r) {
    return sums.cost(l.first, r.second) - sums.cost(l.first, l.second) -
           sums.cost(r.first, r.second);
  };
  for (bool merged = true; merged;) {
    merged = false;
    std::vector<std::pair<size_t, size_t>> next;
    for (const auto& run : runs) {
      if (!next.empty() && extra(next.back(), run) < lambda) {
        next.back().second = run.second;
        merged = true;
      } else {
        next.push_back(run);
      }
    }
    runs.swap(next);
  }
  for (const auto& [a, b] : runs) pieces.push_back(fitted(a, b));
  return pieces;
}

}  // namespace scenario

#include "timing/speed_profile.h"

#include <algorithm>
#include <deque>
#include <set>

namespace scenario::timing {
namespace {

// Positions come from sums of metres and the train length: this is far below a metre and far
// above a double's rounding.
constexpr double kTolerance = 1e-6;

}  // namespace

std::vector<LimitRun> route_limits(const RunInput& in, double max_speed_kmh) {
  // A sweep along the route over the block boundaries and the slowdowns' ends, keeping the
  // slowdowns in force (they may overlap) in a multiset.
  struct Edge {
    double at;
    bool starts;
    double kmh;
  };
  std::vector<Edge> edges;
  for (const Slowdown& s : in.slowdowns) {
    if (!(s.to > s.from)) continue;
    edges.push_back({s.from, true, s.kmh});
    edges.push_back({s.to, false, s.kmh});
  }
  std::sort(edges.begin(), edges.end(), [](const Edge& x, const Edge& y) { return x.at < y.at; });
  std::multiset<double> active;
  std::vector<LimitRun> runs;
  const auto push = [&runs](double from, double to, double kmh) {
    if (!(to > from)) return;
    if (!runs.empty() && runs.back().kmh == kmh && runs.back().to == from) {
      runs.back().to = to;
    } else {
      runs.push_back({from, to, kmh});
    }
  };
  size_t e = 0;
  for (size_t b = 0; b < in.limit_kmh.size(); ++b) {
    const double block_limit = std::min(in.limit_kmh[b], max_speed_kmh);
    double at = static_cast<double>(b) * kBlockMetres;
    const double end = at + kBlockMetres;
    for (;;) {
      while (e < edges.size() && edges[e].at <= at) {
        if (edges[e].starts) {
          active.insert(edges[e].kmh);
        } else {
          active.erase(active.find(edges[e].kmh));
        }
        ++e;
      }
      const double to = e < edges.size() ? std::min(edges[e].at, end) : end;
      push(at, to, active.empty() ? block_limit : std::min(block_limit, *active.begin()));
      if (to >= end) break;
      at = to;
    }
  }
  return runs;
}

std::vector<double> head_limits(const std::vector<LimitRun>& runs, double train_length,
                                const std::vector<double>& grid) {
  std::vector<double> out;
  if (grid.size() < 2) return out;
  out.reserve(grid.size() - 1);
  // A sliding minimum: the window of the interval [a, b] is the runs that meet (a − length, b).
  // Runs enter in route order and leave in the same order, so the deque keeps ascending limits.
  std::deque<size_t> window;
  size_t next = 0;
  for (size_t i = 0; i + 1 < grid.size(); ++i) {
    const double a = grid[i], b = grid[i + 1];
    while (next < runs.size() && runs[next].from < b - kTolerance) {
      while (!window.empty() && runs[window.back()].kmh >= runs[next].kmh) window.pop_back();
      window.push_back(next++);
    }
    while (!window.empty() && runs[window.front()].to <= a - train_length + kTolerance) {
      window.pop_front();
    }
    out.push_back(window.empty() ? 0.0 : runs[window.front()].kmh);
  }
  return out;
}

}  // namespace scenario::timing

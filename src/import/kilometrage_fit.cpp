#include "import/kilometrage_fit.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>

namespace scenario {
namespace {

// The kilometre value at route position 0 that a mark implies for a direction.
double implied(const KilometreMark& m, int32_t direction) {
  return direction == 1 ? m.kilometre + m.position : m.kilometre - m.position;
}

// A run of marks that one progressive explains.
struct MarkRun {
  std::vector<size_t> marks;  // indices into the sorted marks
  int32_t direction = 0;
};

double median(std::vector<double> v) {
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

int32_t round_to_50(double v) { return static_cast<int32_t>(std::llround(v / 50) * 50); }

}  // namespace

double kilometre_at(const std::vector<ProgressiveRow>& progressives, double position) {
  const ProgressiveRow* in_force = nullptr;
  for (const ProgressiveRow& p : progressives) {
    if (p.start <= position && (!in_force || p.start >= in_force->start)) in_force = &p;
  }
  if (!in_force) return position;
  return in_force->direction == 1 ? in_force->value - position : in_force->value + position;
}

KilometrageFit fit_kilometrage(const std::vector<KilometreMark>& marks, double route_length,
                               double reject_distance) {
  for (const KilometreMark& m : marks) {
    if (!std::isfinite(m.position) || !std::isfinite(m.kilometre)) {
      throw std::invalid_argument("a kilometre mark with a non-finite value");
    }
  }
  if (!std::isfinite(route_length) || !std::isfinite(reject_distance)) {
    throw std::invalid_argument("a non-finite route length");
  }
  KilometrageFit fit;
  fit.residuals.assign(marks.size(), 0);
  fit.rejected.assign(marks.size(), false);
  std::vector<size_t> order(marks.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return marks[a].position < marks[b].position; });

  // Two marks agree in a direction when they imply the same value at position 0.
  const auto agree = [&](size_t a, size_t b, int32_t direction) {
    return std::abs(implied(marks[a], direction) - implied(marks[b], direction)) <= reject_distance;
  };
  const auto agree_any = [&](size_t a, size_t b) { return agree(a, b, 1) || agree(a, b, 0); };
  // A mark that agrees with neither neighbour while they agree with each other is a wrong tag.
  std::vector<size_t> kept;
  for (size_t i = 0; i < order.size(); ++i) {
    const bool has_prev = i > 0, has_next = i + 1 < order.size();
    bool wrong = false;
    if (has_prev && has_next) {
      wrong = !agree_any(order[i], order[i - 1]) && !agree_any(order[i], order[i + 1]) &&
              agree_any(order[i - 1], order[i + 1]);
    } else if (order.size() >= 3) {
      const size_t a = has_next ? order[i + 1] : order[i - 1];
      const size_t b = has_next ? order[i + 2] : order[i - 2];
      wrong = !agree_any(order[i], a) && agree_any(a, b);
    }
    if (wrong) {
      fit.rejected[order[i]] = true;
    } else {
      kept.push_back(order[i]);
    }
  }

  // Runs of agreeing neighbours; a disagreement is a jump, which starts the next run.
  std::vector<MarkRun> runs;
  for (const size_t m : kept) {
    if (!runs.empty()) {
      MarkRun& r = runs.back();
      const size_t last = r.marks.back();
      if (r.marks.size() == 1) {
        // The second mark of a run tells its direction.
        for (const int32_t d : {1, 0}) {
          if (agree(last, m, d)) {
            r.direction = d;
            r.marks.push_back(m);
            break;
          }
        }
        if (r.marks.back() == m) continue;
      } else if (agree(r.marks.front(), m, r.direction) && agree(last, m, r.direction)) {
        r.marks.push_back(m);
        continue;
      }
    }
    runs.push_back({{m}, runs.empty() ? 0 : runs.back().direction});
  }
  // The readers take three progressives: keep the three runs with most marks.
  if (runs.size() > 3) {
    fit.merged = true;
    std::vector<size_t> idx(runs.size());
    std::iota(idx.begin(), idx.end(), 0);
    std::stable_sort(idx.begin(), idx.end(), [&](size_t a, size_t b) {
      return runs[a].marks.size() > runs[b].marks.size();
    });
    idx.resize(3);
    std::sort(idx.begin(), idx.end());
    std::vector<MarkRun> three;
    for (const size_t i : idx) three.push_back(runs[i]);
    runs.swap(three);
  }

  for (size_t k = 0; k < runs.size(); ++k) {
    const MarkRun& r = runs[k];
    std::vector<double> values;
    for (const size_t m : r.marks) values.push_back(implied(marks[m], r.direction));
    ProgressiveRow p;
    p.direction = r.direction;
    p.value = round_to_50(median(values));
    // From the first mark of the run, rounded down to the block: a progressive changes at
    // the first point tagged with its kilometrage (often a station), not before the last of
    // the one before.
    const double first = marks[r.marks.front()].position;
    int32_t start = k == 0 ? 0 : static_cast<int32_t>(std::floor(first / 50) * 50);
    if (k > 0) {
      const double previous_last = marks[runs[k - 1].marks.back()].position;
      start = std::max(start, static_cast<int32_t>(std::ceil(previous_last / 50) * 50));
      start = std::max(start, fit.progressives.back().start + 50);
      start = std::min(start, static_cast<int32_t>(std::max(0.0, route_length)));
    }
    p.start = start;
    fit.progressives.push_back(p);
  }
  fit.from_marks = !fit.progressives.empty();
  if (fit.progressives.empty()) fit.progressives.push_back({0, 0, 0});
  for (size_t i = 0; i < marks.size(); ++i) {
    fit.residuals[i] = kilometre_at(fit.progressives, marks[i].position) - marks[i].kilometre;
    if (!fit.rejected[i]) fit.max_residual = std::max(fit.max_residual, std::abs(fit.residuals[i]));
  }
  return fit;
}

}  // namespace scenario

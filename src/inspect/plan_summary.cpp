#include "inspect/plan_summary.h"

#include <algorithm>
#include <cmath>

namespace scenario {
namespace {

constexpr double kStraightTurn = 1e-7;  // rad per metre
constexpr double kRunTolerance = 0.01;  // relative change of the turn that ends a run
constexpr double kPi = 3.14159265358979323846;

// atan2(cross, dot) for the turn between two metre steps. The compiler's sharpest curve turns
// 0.003 rad per metre; up to 0.004 the series to x^7 is as exact as a double, and spares the
// arc tangent on every metre of a long route.
double small_angle(double cross, double dot) {
  if (dot > 0 && std::abs(cross) < 0.004 * dot) {
    const double x = cross / dot, x2 = x * x;
    return x * (1 - x2 * (1.0 / 3 - x2 * (1.0 / 5 - x2 / 7)));
  }
  return std::atan2(cross, dot);
}

}  // namespace

bool has_point(const CurveTable& table, int64_t metre) {
  return table.kind(metre, 0) != CellKind::kEmpty && table.kind(metre, 1) != CellKind::kEmpty &&
         std::isfinite(table.value(metre, 0)) && std::isfinite(table.value(metre, 1));
}

PlanSummary summarize_plan(const CurveTable& table) {
  PlanSummary s;
  if (!table.exists()) return s;
  s.last_metre = table.last_metre();
  const auto& kinds = table.kinds(0);
  for (uint8_t k : kinds) {
    if (k == static_cast<uint8_t>(CellKind::kInt16)) ++s.int16_cells;
    if (k == static_cast<uint8_t>(CellKind::kDouble)) ++s.double_cells;
    if (k == static_cast<uint8_t>(CellKind::kEmpty)) ++s.empty_cells;
  }
  // The tables' own arrays: these loops visit every metre of routes up to 1,000 km long.
  const uint8_t* kx = table.kinds(0).data();
  const uint8_t* ky = table.kinds(1).data();
  const double* vx = table.values(0).data();
  const double* vy = table.values(1).data();
  const auto point = [&](int64_t m) {
    const auto i = static_cast<size_t>(m);
    return kx[i] != static_cast<uint8_t>(CellKind::kEmpty) &&
           ky[i] != static_cast<uint8_t>(CellKind::kEmpty) && std::isfinite(vx[i]) &&
           std::isfinite(vy[i]);
  };
  for (int64_t m = 0; m <= s.last_metre; ++m) {
    if (!point(m)) continue;
    const double x = vx[m];
    const double y = vy[m];
    if (!s.has_points) {
      s.min_x = s.max_x = x;
      s.min_y = s.max_y = y;
      s.has_points = true;
    }
    s.min_x = std::min(s.min_x, x);
    s.max_x = std::max(s.max_x, x);
    s.min_y = std::min(s.min_y, y);
    s.max_y = std::max(s.max_y, y);
  }

  // turn[m]: how much the step into metre m turned from the step into metre m - 1, positive
  // clockwise (to the right with X east and Y north).
  double total = 0;
  PlanCurve run;
  double run_turn = 0;  // the turn per metre that the current run started with
  double run_arc = 0;
  bool in_run = false;
  const auto close_run = [&]() {
    if (!in_run) return;
    run.radius =
        std::abs(run.turn_degrees) > 0 ? run_arc / (std::abs(run.turn_degrees) * kPi / 180) : 0;
    s.curves.push_back(run);
    in_run = false;
  };
  for (int64_t m = 2; m <= s.last_metre; ++m) {
    if (!point(m) || !point(m - 1) || !point(m - 2)) {
      close_run();
      continue;
    }
    const double ax = vx[m - 1] - vx[m - 2];
    const double ay = vy[m - 1] - vy[m - 2];
    const double bx = vx[m] - vx[m - 1];
    const double by = vy[m] - vy[m - 1];
    const double turn = -small_angle(ax * by - ay * bx, ax * bx + ay * by);
    total += turn;
    const bool turning = std::abs(turn) > kStraightTurn;
    if (in_run && (!turning || std::abs(turn - run_turn) > kRunTolerance * std::abs(run_turn))) {
      close_run();
    }
    if (!turning) continue;
    if (!in_run) {
      in_run = true;
      run = PlanCurve{};
      run.start = m - 1;
      run_turn = turn;
      run_arc = 0;
    }
    ++run.length;
    run.turn_degrees += turn * 180 / kPi;
    run_arc += std::sqrt(bx * bx + by * by);  // metre steps: no overflow to guard
  }
  close_run();
  s.total_turn_degrees = total * 180 / kPi;
  return s;
}

}  // namespace scenario

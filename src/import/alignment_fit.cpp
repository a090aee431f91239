#include "import/alignment_fit.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "import/heading_segments.h"
#include "import/segment_grid.h"
#include "import/track_smoothing.h"
#include "line_reader/curve_classes.h"

namespace scenario {
namespace {

constexpr double kMaxRoute = 1'000'000;  // the line reader's longest route, metres
// Spacing of the heading samples that the segmentation partitions, metres.
constexpr double kSegmentGrid = 20;
// Longest piece before the merge: bounds the partition's work per sample.
constexpr double kLongestPiece = 4000;
// Penalty of one more piece, in noise variances of the heading (a BIC-like choice: a piece
// must explain more than this many variances of residual to be kept).
constexpr double kPiecePenalty = 60;
// A placed group of arcs that leaves the track by more than this (metres, at its points every
// 20 m) has its arcs' lengths corrected; the others are left as the headings give them.
constexpr double kRefitOffset = 8;

// An angle brought into -pi to pi: the plan's heading is an azimuth, the mapped one unwrapped.
double wrapped(double a) {
  return a - 2 * std::numbers::pi * std::round(a / (2 * std::numbers::pi));
}

double turn_of_class(int c) { return c == 0 ? 0.0 : std::atan(kCurveClassCurvature[c - 1]); }
double curvature_of_class(int c) { return c == 0 ? 0.0 : kCurveClassCurvature[c - 1]; }

PlanePoint rotate(PlanePoint p, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {c * p.x - s * p.y, s * p.x + c * p.y};
}
PlanePoint operator-(PlanePoint a, PlanePoint b) { return {a.x - b.x, a.y - b.y}; }
PlanePoint operator+(PlanePoint a, PlanePoint b) { return {a.x + b.x, a.y + b.y}; }
PlanePoint operator*(double f, PlanePoint a) { return {f * a.x, f * a.y}; }
double dot(PlanePoint a, PlanePoint b) { return a.x * b.x + a.y * b.y; }
double norm(PlanePoint a) { return std::hypot(a.x, a.y); }

// Distance from p to the segment a-b, and the fraction of the way along it of the nearest point.
double segment_distance(PlanePoint p, PlanePoint a, PlanePoint b, double* fraction) {
  const PlanePoint d = b - a;
  const double len2 = dot(d, d);
  double f = len2 > 0 ? std::clamp(dot(p - a, d) / len2, 0.0, 1.0) : 0.0;
  if (fraction != nullptr) *fraction = f;
  return norm(p - (a + f * d));
}

// The compiled plan as it is being built: the reader's two last points and the last column.
struct PlanCursor {
  PlanStep step{0, 0, 0, 1};
  int64_t column = 1;

  PlanePoint point() const { return {step.x1, step.y1}; }
  PlanePoint direction() const { return {step.x1 - step.x2, step.y1 - step.y2}; }
  double heading() const { return std::atan2(step.x1 - step.x2, step.y1 - step.y2); }
  void run(double k, int64_t steps) {
    for (int64_t i = 0; i < steps; ++i) {
      if (k == 0) {
        step.advance_straight();
      } else {
        step.advance(k);
      }
    }
    column += steps;
  }
};

// A run of the plan: steps metres turning by k (0: straight).
struct Run {
  double k = 0;
  int64_t steps = 0;
  int curve_class = 0;
};

// How a piece is written: straight, one class, or two neighbouring classes alternating.
struct Representation {
  int low = 0;   // class, 0 straight
  int high = 0;  // equal to low for one class
};

Representation represent(double curvature, double turn, double length, double tolerance) {
  const double kappa = std::abs(curvature);
  int nearest = 0;
  for (int c = 1; c <= 6; ++c) {
    if (std::abs(kappa - curvature_of_class(c)) < std::abs(kappa - curvature_of_class(nearest))) {
      nearest = c;
    }
  }
  // How far the plan strays from the mapped piece in its middle when written as one class
  // whose end lies on the mapped piece's outgoing line (the fillet of that radius between the
  // same two tangents), or, straight, when it does not turn at all.
  const double half = std::min(std::abs(turn), 0.9 * std::numbers::pi) / 2;
  double deviation;
  if (nearest == 0) {
    deviation = std::abs(turn) * length / 2;
  } else {
    const double r = kappa > 0 ? 1 / kappa : 1e12;
    deviation = std::abs(r - 1 / curvature_of_class(nearest)) * (1 / std::cos(half) - 1);
  }
  if (deviation <= tolerance || kappa >= curvature_of_class(6)) return {nearest, nearest};
  int low = 0;
  while (low < 6 && curvature_of_class(low + 1) <= kappa) ++low;
  return {low, low + 1};
}

// The runs that turn the plan by turn (radians, signed) in the way rep says, over about
// length metres of plan at step length h; alternations short enough that the plan strays less
// than tolerance from their mean arc.
std::vector<Run> runs_for(const Representation& rep, double turn, double length, double h,
                          double tolerance) {
  std::vector<Run> runs;
  const double sign = turn < 0 ? -1 : 1;
  const double want = std::abs(turn);
  if (rep.high == 0) return runs;
  if (rep.low == rep.high) {
    const int64_t w = std::llround(want / turn_of_class(rep.high));
    if (w > 0) runs.push_back({sign * curvature_of_class(rep.high), w, rep.high});
    return runs;
  }
  const double lo = turn_of_class(rep.low), hi = turn_of_class(rep.high);
  const double steps = std::max(length / h, want / hi);
  const double w_hi = std::clamp((want - steps * lo) / (hi - lo), 0.0, steps);
  const double w_lo = rep.low == 0 ? steps - w_hi : (want - w_hi * hi) / lo;
  const double dk = curvature_of_class(rep.high) - curvature_of_class(rep.low);
  const double longest = std::sqrt(8 * std::max(tolerance, 0.5) / dk);
  const int64_t pairs = std::max<int64_t>(1, std::llround(std::ceil(steps * h / longest)));
  // Whole metres per pair, the remainders spread so that the totals are kept.
  const int64_t total_hi = std::llround(w_hi), total_lo = std::max<int64_t>(0, std::llround(w_lo));
  for (int64_t p = 0; p < pairs; ++p) {
    const int64_t a = total_hi * (p + 1) / pairs - total_hi * p / pairs;
    const int64_t b = total_lo * (p + 1) / pairs - total_lo * p / pairs;
    // The gentler half first and last in turn keeps the pair's middle on the mean arc.
    if (a > 0) runs.push_back({sign * curvature_of_class(rep.high), a, rep.high});
    if (b > 0) runs.push_back({sign * curvature_of_class(rep.low), b, rep.low});
  }
  return runs;
}

// Where a sequence of runs takes the plan from a cursor: the end and the middle (by steps).
struct RunsEffect {
  PlanCursor end;
  PlanePoint middle;
};
RunsEffect simulate(PlanCursor c, const std::vector<Run>& runs) {
  int64_t total = 0;
  for (const Run& r : runs) total += r.steps;
  PlanePoint middle = c.point();
  int64_t done = 0;
  for (const Run& r : runs) {
    if (done <= total / 2 && done + r.steps > total / 2) {
      PlanCursor m = c;
      m.run(r.k, total / 2 - done);
      middle = m.point();
    }
    c.run(r.k, r.steps);
    done += r.steps;
  }
  return {c, middle};
}

// A piece of the mapped track in the plan's frame.
struct MappedPiece {
  size_t from = 0, to = 0;  // samples
  double heading_in = 0, heading_out = 0;
  double length = 0;
  double curvature = 0;
  Representation rep;
};

void append_row(std::vector<CurveRow>& rows, int64_t start, const Run& run) {
  const bool left = run.k < 0;
  if (!rows.empty()) {
    CurveRow& last = rows.back();
    if (last.start + last.length == start && last.curve_class == run.curve_class &&
        last.left == left) {
      last.length += static_cast<int32_t>(run.steps);
      return;
    }
  }
  rows.push_back(
      {static_cast<int32_t>(start), static_cast<int32_t>(run.steps), run.curve_class, left});
}

}  // namespace

std::string curve_keyword(const CurveRow& row) {
  return std::string(row.left ? "curvas" : "curvad") + static_cast<char>('0' + row.curve_class);
}

double curve_class_curvature(int curve_class) {
  return curve_class >= 1 && curve_class <= 6 ? kCurveClassCurvature[curve_class - 1] : 0.0;
}

RouteMap::RouteMap(std::vector<double> path_distance, std::vector<double> route_position)
    : path_(std::move(path_distance)), route_(std::move(route_position)) {
  if (path_.size() != route_.size()) throw std::invalid_argument("route map knots differ");
}

namespace {
double interpolate(const std::vector<double>& from, const std::vector<double>& to, double v) {
  if (from.empty()) return v;
  if (v <= from.front()) return to.front();
  if (v >= from.back()) return to.back();
  const size_t i =
      static_cast<size_t>(std::upper_bound(from.begin(), from.end(), v) - from.begin());
  const double span = from[i] - from[i - 1];
  const double f = span > 0 ? (v - from[i - 1]) / span : 0;
  return to[i - 1] + f * (to[i] - to[i - 1]);
}
}  // namespace

double RouteMap::route_position(double path_distance) const {
  return interpolate(path_, route_, path_distance);
}
double RouteMap::path_distance(double route_position) const {
  return interpolate(route_, path_, route_position);
}

std::vector<CurveRow> rows_up_to(const std::vector<CurveRow>& rows, int32_t route_length) {
  std::vector<CurveRow> out;
  for (const CurveRow& r : rows) {
    if (r.start >= route_length) break;
    out.push_back(r);
    out.back().length = std::min<int32_t>(r.length, route_length - r.start);
  }
  return out;
}

std::vector<PlanePoint> compiled_plan(const std::vector<CurveRow>& rows, int32_t route_length,
                                      const PlanFrame& frame) {
  if (route_length < 1) route_length = 1;
  std::vector<PlanePoint> plan;
  plan.reserve(static_cast<size_t>(route_length) + 1);
  plan.push_back({0, 0});
  plan.push_back({0, 1});
  PlanStep step{0, 0, 0, 1};
  int64_t j = 2;  // the reader's next column
  const auto advance = [&](int64_t to, double k) {
    for (; j <= std::min<int64_t>(to, route_length); ++j) {
      if (k == 0) {
        step.advance_straight();
      } else {
        step.advance(k);
      }
      plan.push_back({step.x1, step.y1});
    }
  };
  for (const CurveRow& r : rows) {
    const double k =
        r.left ? -curve_class_curvature(r.curve_class) : curve_class_curvature(r.curve_class);
    advance(r.start, 0);
    advance(static_cast<int64_t>(r.start) + r.length, k);
  }
  advance(route_length, 0);
  for (PlanePoint& p : plan) p = frame.origin + rotate(p, frame.rotation);
  return plan;
}

CurveFit fit_curves(const std::vector<PlanePoint>& path, const CurveFitOptions& options) {
  if (!(options.resample_step > 0 && options.resample_step <= 50) || !(options.smoothing >= 0) ||
      !(options.min_piece > 0) || !(options.straight_curvature >= 0) ||
      !(options.class_tolerance > 0)) {
    throw std::invalid_argument("curve fit options out of range");
  }
  const SmoothedTrack st = smooth_track(path, options.resample_step, options.smoothing);
  const size_t n = st.points.size();
  CurveFit fit;
  fit.path_length = st.path_distance.back();
  fit.track_length = st.track_distance.back();
  if (fit.track_length > kMaxRoute) {
    throw std::invalid_argument("the track is longer than 1,000 km, the longest route");
  }

  // The curvature diagram, cut into pieces of constant curvature on a coarser grid.
  const size_t stride =
      std::max<size_t>(1, static_cast<size_t>(std::llround(kSegmentGrid / options.resample_step)));
  std::vector<size_t> grid;
  for (size_t i = 0; i < n; i += stride) grid.push_back(i);
  if (grid.back() != n - 1) grid.push_back(n - 1);
  std::vector<double> gt(grid.size()), gh(grid.size());
  for (size_t g = 0; g < grid.size(); ++g) {
    gt[g] = st.track_distance[grid[g]];
    gh[g] = st.heading[grid[g]];
  }
  const size_t min_samples =
      std::max<size_t>(2, static_cast<size_t>(std::ceil(options.min_piece / kSegmentGrid)));
  const std::vector<HeadingPiece> cut_up = segment_heading(
      gt, gh, min_samples, static_cast<size_t>(kLongestPiece / kSegmentGrid), kPiecePenalty);

  // Neighbouring straights are one straight, its heading the median of its samples: a short
  // straight piece beside an arc holds the arc's tail and would tilt a long straight.
  // A piece that turns too little to leave the track by class_tolerance is straight too.
  const auto is_straight = [&](const HeadingPiece& p) {
    const double length = gt[p.to - 1] - gt[p.from];
    return std::abs(p.b) < options.straight_curvature ||
           std::abs(p.b) * length * length / 2 <= options.class_tolerance;
  };
  std::vector<HeadingPiece> segments;
  bool last_straight = false;
  for (const HeadingPiece& p : cut_up) {
    const bool straight_piece = is_straight(p);
    if (straight_piece && last_straight) {
      segments.back().to = p.to;
    } else {
      segments.push_back(p);
      if (straight_piece) segments.back().b = 0;
    }
    last_straight = straight_piece;
  }
  for (HeadingPiece& p : segments) {
    if (p.b != 0) continue;
    std::vector<double> h(gh.begin() + static_cast<std::ptrdiff_t>(p.from),
                          gh.begin() + static_cast<std::ptrdiff_t>(p.to));
    std::nth_element(h.begin(), h.begin() + static_cast<std::ptrdiff_t>(h.size() / 2), h.end());
    p.a = h[h.size() / 2];
  }
  // Boundaries between pieces: halfway between their grid samples. A straight's own line
  // gives its heading (from all its samples, the surest estimate); between two arcs, the mean
  // of their lines at the cut.
  const auto line_at = [&](const HeadingPiece& p, double t) {
    return p.a + p.b * (t - gt[p.from]);
  };
  const size_t pieces_count = segments.size();
  std::vector<bool> straight(pieces_count);
  std::vector<double> own_heading(pieces_count);
  for (size_t k = 0; k < pieces_count; ++k) {
    // Only a straight long enough has a heading surer than its neighbours' lines.
    straight[k] = segments[k].b == 0 && gt[segments[k].to - 1] - gt[segments[k].from] >= 300;
    own_heading[k] = line_at(segments[k], (gt[segments[k].from] + gt[segments[k].to - 1]) / 2);
  }
  std::vector<size_t> cut{0};
  std::vector<double> cut_heading{straight[0] ? own_heading[0] : line_at(segments[0], 0)};
  for (size_t k = 0; k + 1 < pieces_count; ++k) {
    const size_t b = (grid[segments[k].to - 1] + grid[segments[k + 1].from]) / 2;
    const double t = st.track_distance[b];
    cut.push_back(b);
    double hd;
    if (straight[k] && straight[k + 1]) {
      hd = (own_heading[k] + own_heading[k + 1]) / 2;
    } else if (straight[k]) {
      hd = own_heading[k];
    } else if (straight[k + 1]) {
      hd = own_heading[k + 1];
    } else {
      hd = (line_at(segments[k], t) + line_at(segments[k + 1], t)) / 2;
    }
    cut_heading.push_back(hd);
  }
  cut.push_back(n - 1);
  cut_heading.push_back(straight[pieces_count - 1]
                            ? own_heading[pieces_count - 1]
                            : line_at(segments.back(), st.track_distance[n - 1]));

  // The plan's frame: metre 0 on the mapped start, heading along the mapped start's heading.
  const double heading0 = cut_heading.front();
  fit.frame.origin = st.points.front();
  fit.frame.rotation = -heading0;
  std::vector<PlanePoint> local(n);
  for (size_t i = 0; i < n; ++i) local[i] = rotate(st.points[i] - fit.frame.origin, heading0);

  std::vector<MappedPiece> pieces;
  for (size_t k = 0; k + 1 < cut.size(); ++k) {
    MappedPiece p;
    p.from = cut[k];
    p.to = cut[k + 1];
    p.heading_in = cut_heading[k] - heading0;
    p.heading_out = cut_heading[k + 1] - heading0;
    p.length = st.track_distance[p.to] - st.track_distance[p.from];
    const double turn = p.heading_out - p.heading_in;
    // The slope of the piece's own line: its ends are blurred by the smoothing, its middle
    // is not, where turn over length would count the blur.
    p.curvature = p.length > 0 ? turn / p.length : 0;
    const double slope = segments[k].b;
    if (p.length >= 200 && slope != 0 &&
        std::abs(slope - p.curvature) < 0.2 * std::abs(p.curvature)) {
      p.curvature = slope;
    }
    if (straight[k]) {
      p.rep = {0, 0};
    } else {
      p.rep = represent(p.curvature, turn, p.length, options.class_tolerance);
    }
    pieces.push_back(p);
    fit.pieces.push_back({st.path_distance[p.from], st.path_distance[p.to],
                          p.rep.high == 0 ? 0.0 : p.curvature, turn});
  }

  // The rows, piece by piece, each placed where the plan built so far meets the mapped track:
  // an arc starts where its end lands on the mapped outgoing line.
  // The track for the placement's distances, one point per 20 m: enough for a distance of a
  // few metres, and a quarter of the work.
  std::vector<PlanePoint> coarse;
  for (size_t i = 0; i < n; i += stride) coarse.push_back(local[i]);
  if (stride > 1 && (n - 1) % stride != 0) coarse.push_back(local[n - 1]);
  const SegmentGrid track_grid(coarse);
  PlanCursor cursor;
  for (size_t k = 0; k < pieces.size(); ++k) {
    if (pieces[k].rep.high == 0) continue;
    // A group of arcs with no straight between them is placed as one: each arc turns to its
    // mapped outgoing heading, and the group starts where its end lands on the line of the
    // straight after it.
    size_t last = k;
    while (last + 1 < pieces.size() && pieces[last + 1].rep.high != 0) ++last;
    std::vector<std::vector<Run>> group;
    PlanCursor probe = cursor;
    const double h = norm(cursor.direction());
    for (size_t q = k; q <= last; ++q) {
      const MappedPiece& p = pieces[q];
      const double turn = wrapped(p.heading_out - probe.heading());
      const double mapped_turn = std::max(std::abs(p.heading_out - p.heading_in), 1e-9);
      // A class turns by its angle per step of the plan, and the step grows over the curves:
      // the class is the one whose turn per step is the mapped turn over a step's length.
      const double step_length = norm(probe.direction());
      const Representation rep =
          p.rep.high == 0 ? p.rep
                          : represent(p.curvature * step_length, p.heading_out - p.heading_in,
                                      p.length, options.class_tolerance);
      group.push_back(runs_for(rep, turn,
                               std::abs(p.curvature) > 0 ? std::abs(turn / p.curvature)
                                                         : p.length * std::abs(turn) / mapped_turn,
                               norm(probe.direction()), options.class_tolerance));
      probe = simulate(probe, group.back()).end;
    }
    const double heading_out = pieces[last].heading_out;
    const PlanePoint u = (1 / h) * cursor.direction();
    const PlanePoint start = cursor.point();
    const PlanePoint shift = probe.point() - start;
    const PlanePoint out_normal{std::cos(heading_out), -std::sin(heading_out)};
    // The outgoing line: through the middle of the straight after, where there is one (its
    // points are many), else through the group's end.
    PlanePoint through = local[pieces[last].to];
    if (last + 1 < pieces.size())
      through = local[(pieces[last + 1].from + pieces[last + 1].to) / 2];
    // First guesses: where the group's end lands on the outgoing line (a fillet), or, with
    // little turn in all, abreast of the mapped start. Then the start that brings the group
    // and the straight after it closest to the mapped track, in least squares.
    std::vector<double> guesses{dot(u, local[pieces[k].from] - start) / h};
    if (std::abs(dot(out_normal, u)) >= 0.1) {
      guesses.push_back(dot(out_normal, through - start - shift) / (h * dot(out_normal, u)));
    }
    // Each arc's length may be corrected in whole metres on its longest run: the mapped
    // headings at the cuts between arcs carry the smoothing's error, which placing the group
    // as a whole cannot take out.
    std::vector<size_t> longest(group.size(), 0);
    for (size_t j = 0; j < group.size(); ++j) {
      for (size_t r = 0; r < group[j].size(); ++r) {
        if (group[j][r].steps > group[j][longest[j]].steps) longest[j] = r;
      }
    }
    std::vector<int64_t> delta(group.size(), 0);
    std::vector<PlanePoint> shape;  // the group at t = 0, every 20 m
    PlanCursor end = cursor;
    const auto build = [&](const std::vector<int64_t>& d) {
      shape.clear();
      end = cursor;
      int64_t done = 0;
      for (size_t j = 0; j < group.size(); ++j) {
        for (size_t r = 0; r < group[j].size(); ++r) {
          const Run& run = group[j][r];
          const int64_t steps = run.steps + (r == longest[j] ? d[j] : 0);
          for (int64_t i = 0; i < steps; ++i, ++done) {
            end.run(run.k, 1);
            if (done % 20 == 0) shape.push_back(end.point());
          }
        }
      }
    };
    build(delta);
    // The straight after, as far as 3 km: a heading a little off shows there as a drift,
    // which a trim of the gentlest class at the group's end takes out.
    size_t next_group = last + 1;
    while (next_group < pieces.size() && pieces[next_group].rep.high == 0) ++next_group;
    const double after = std::min(
        3000.0, st.track_distance[next_group < pieces.size() ? pieces[next_group].from : n - 1] -
                    st.track_distance[pieces[last].to]);
    PlanePoint end_direction = (1 / norm(end.direction())) * end.direction();
    const double trim_turn = turn_of_class(1);
    const auto cost = [&](double t, int64_t trim) {
      const PlanePoint move = (t * h) * u;
      double sum = 0;
      for (const PlanePoint& q : shape) {
        const double d = track_grid.nearest(q + move, 200.0);
        sum += d * d;
      }
      const PlanePoint along = rotate(end_direction, -static_cast<double>(trim) * trim_turn);
      for (double a = 20; a <= after; a += 20) {
        const double d = track_grid.nearest(end.point() + move + (a * h) * along, 200.0);
        sum += d * d;
      }
      return sum;
    };
    int64_t trim = std::llround(wrapped(heading_out - end.heading()) / trim_turn);
    double t = std::max(0.0, guesses.back());
    double best = cost(t, trim);
    for (const double g : guesses) {
      for (double c = std::max(0.0, g - 300); c <= std::max(0.0, g + 300); c += 25) {
        const double e = cost(c, trim);
        if (e < best) best = e, t = c;
      }
    }
    const auto refine_start = [&] {
      for (const double step : {5.0, 1.0}) {
        const double centre = t;
        for (double c = std::max(0.0, centre - 5 * step); c <= centre + 5 * step; c += step) {
          const double e = cost(c, trim);
          if (e < best) best = e, t = c;
        }
      }
    };
    refine_start();
    // The trim is costed as a turn on the spot: only short ones are that.
    const int64_t trim_centre = after > 0 ? trim : 0;
    if (after > 0) {
      const int64_t centre = trim;
      for (int64_t w = centre - 20; w <= centre + 20; ++w) {
        const double e = cost(t, w);
        if (e < best) best = e, trim = w;
      }
      refine_start();
    } else {
      trim = 0;
    }
    // Where the placed group still leaves the track, the arcs' lengths in least squares by a
    // pattern search: one arc longer or shorter, or turn moved from one arc to the next (or to
    // the trim), the start searched again around each trial.
    const auto worst_point = [&](double at, int64_t w) {
      const PlanePoint move = (at * h) * u;
      double worst = 0;
      for (const PlanePoint& q : shape)
        worst = std::max(worst, track_grid.nearest(q + move, 200.0));
      const PlanePoint along = rotate(end_direction, -static_cast<double>(w) * trim_turn);
      for (double a = 20; a <= after; a += 20) {
        worst = std::max(worst, track_grid.nearest(end.point() + move + (a * h) * along, 200.0));
      }
      return worst;
    };
    if (worst_point(t, trim) > kRefitOffset) {
      const auto signed_turn = [&](size_t j) {
        const Run& r = group[j][longest[j]];
        return (r.k < 0 ? -1.0 : 1.0) * turn_of_class(r.curve_class);
      };
      // The cost of lengths d with the trim w, at the best start near t.
      const auto trial = [&](const std::vector<int64_t>& d, int64_t w, double* at) {
        for (size_t j = 0; j < d.size(); ++j) {
          if (group[j][longest[j]].steps + d[j] < 1) return 1e300;
        }
        if (after <= 0 && w != 0) return 1e300;
        if (std::abs(w - trim_centre) > 20) return 1e300;
        build(d);
        end_direction = (1 / norm(end.direction())) * end.direction();
        double e_best = 1e300;
        for (const double step : {3.0, 1.0}) {
          const double centre = e_best < 1e300 ? *at : t;
          for (double c = std::max(0.0, centre - step); c <= centre + step; c += step) {
            if (step == 1 && c == centre) continue;
            const double e = cost(c, w);
            if (e < e_best) e_best = e, *at = c;
          }
        }
        return e_best;
      };
      for (int sweep = 0; sweep < 4; ++sweep) {
        bool improved = false;
        for (size_t j = 0; j < group.size(); ++j) {
          for (const int64_t s : {16, 4, 1}) {
            for (const int64_t sign : {-1, 1}) {
              for (int kind = 0; kind < 2; ++kind) {
                std::vector<int64_t> d = delta;
                int64_t w = trim;
                d[j] += sign * s;
                if (kind == 1) {
                  // The same turn taken off the next arc, or off the trim after the last.
                  const double moved = static_cast<double>(sign * s) * signed_turn(j);
                  const bool next_arc = j + 1 < group.size();
                  if (!next_arc && after <= 0) continue;
                  const double shift = moved / (next_arc ? signed_turn(j + 1) : trim_turn);
                  // A piece that hardly turns cannot take the turn over (and a length beyond
                  // any route is no trial).
                  if (!std::isfinite(shift) || std::abs(shift) > 1e6) continue;
                  if (next_arc) {
                    d[j + 1] -= std::llround(shift);
                  } else {
                    w -= std::llround(shift);
                  }
                }
                double at = t;
                const double e = trial(d, w, &at);
                if (e < best) best = e, delta = d, trim = w, t = at, improved = true;
              }
            }
          }
        }
        if (!improved) break;
      }
      build(delta);
      end_direction = (1 / norm(end.direction())) * end.direction();
    }
    const int64_t straight = std::max<int64_t>(0, std::llround(t));
    cursor.run(0, straight);
    for (size_t j = 0; j < group.size(); ++j) {
      for (size_t q = 0; q < group[j].size(); ++q) {
        Run r = group[j][q];
        if (q == longest[j]) r.steps += delta[j];
        if (r.k != 0) append_row(fit.rows, cursor.column, r);
        cursor.run(r.k, r.steps);
      }
    }
    if (trim != 0) {
      const Run run{trim < 0 ? -curvature_of_class(1) : curvature_of_class(1), std::abs(trim), 1};
      append_row(fit.rows, cursor.column, run);
      cursor.run(run.k, run.steps);
    }
    if (cursor.column > static_cast<int64_t>(kMaxRoute)) {
      throw std::invalid_argument("the track is longer than 1,000 km, the longest route");
    }
    k = last;
    if (cursor.column > static_cast<int64_t>(kMaxRoute)) {
      throw std::invalid_argument("the track is longer than 1,000 km, the longest route");
    }
  }

  // The plan as compiled, far enough to pass the mapped end, and the mapped track walked along
  // it: each sample's nearest plan point, never going back.
  const double remaining = st.track_distance[n - 1];
  const int32_t plan_length = static_cast<int32_t>(
      std::min<double>(kMaxRoute + 7000, std::max<double>(cursor.column, remaining * 1.02) + 500));
  const std::vector<PlanePoint> plan = compiled_plan(fit.rows, plan_length);
  std::vector<double> route(n);
  std::vector<double> to_plan(n);
  size_t at = 0;
  for (size_t i = 0; i < n; ++i) {
    const size_t last = plan.size() - 2;
    const size_t lo = at > 30 ? at - 30 : 0;
    const size_t hi = std::min(last, at + static_cast<size_t>(4 * options.resample_step) + 60);
    double best = 1e300, best_f = 0;
    size_t best_s = lo;
    for (size_t s = lo; s <= hi; ++s) {
      double f;
      const double d = segment_distance(local[i], plan[s], plan[s + 1], &f);
      if (d < best) best = d, best_s = s, best_f = f;
    }
    double r = static_cast<double>(best_s) + best_f;
    if (i > 0) r = std::max(r, route[i - 1]);
    if (i == 0) r = 0, best = norm(local[0] - plan[0]);
    route[i] = r;
    to_plan[i] = best;
    at = best_s;
  }
  fit.route_end = static_cast<int32_t>(std::floor(route[n - 1]));
  fit.map = RouteMap(st.path_distance, route);

  // Each plan metre to the track, by the walk's inverse; and each track sample to the plan.
  double sum = 0;
  size_t count = 0;
  size_t sample = 0;
  for (int64_t m = 0; m <= fit.route_end; ++m) {
    while (sample + 1 < n && route[sample + 1] < static_cast<double>(m)) ++sample;
    const size_t lo = sample > 4 ? sample - 4 : 0;
    const size_t hi = std::min(n - 2, sample + 4);
    double best = 1e300;
    for (size_t s = lo; s <= hi; ++s) {
      best = std::min(best, segment_distance(plan[m], local[s], local[s + 1], nullptr));
    }
    sum += best;
    ++count;
    if (best > fit.max_offset) fit.max_offset = best, fit.max_offset_at = static_cast<double>(m);
  }
  for (size_t i = 0; i < n; ++i) {
    if (to_plan[i] > fit.max_offset) fit.max_offset = to_plan[i], fit.max_offset_at = route[i];
  }
  fit.mean_offset = count > 0 ? sum / static_cast<double>(count) : 0;

  for (const CurveRow& r : fit.rows) {
    auto it = std::find_if(fit.classes.begin(), fit.classes.end(), [&](const CurveClassStats& s) {
      return s.curve_class == r.curve_class;
    });
    if (it == fit.classes.end()) {
      fit.classes.push_back({r.curve_class, 0, 0});
      it = fit.classes.end() - 1;
    }
    ++it->rows;
    it->length += r.length;
  }
  std::sort(fit.classes.begin(), fit.classes.end(),
            [](const CurveClassStats& a, const CurveClassStats& b) {
              return a.curve_class < b.curve_class;
            });
  return fit;
}

}  // namespace scenario

#include "support/alignment_generator.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "import/alignment_fit.h"

namespace scenario::testing {
namespace {

using Rng = std::mt19937_64;
double uniform(Rng& rng, double lo, double hi) {
  return std::uniform_real_distribution<double>(lo, hi)(rng);
}

// A stretch of the curvature diagram: curvature running linearly from k0 to k1 (a clothoid
// when they differ).
struct Element {
  double length;
  double k0, k1;
  int curve_class;  // signed, where the stretch is an arc of a class
};

// The curvature elements of the plan: straights, then curves with or without transitions,
// the classes in turn, every third curve between two classes, now and then a reverse curve.
std::vector<Element> plan_elements(Rng& rng, double length) {
  std::vector<Element> out;
  double done = 0;
  int n = 0;
  while (done < length) {
    const double straight = uniform(rng, 300, 3500);
    out.push_back({straight, 0, 0, 0});
    done += straight;
    const int reverse = uniform(rng, 0, 1) < 0.15 ? 2 : 1;
    for (int r = 0; r < reverse; ++r, ++n) {
      const int c = 1 + n % 6;
      const bool between = (n / 6) % 3 == 2 && c < 6;
      const double k_class = curve_class_curvature(c);
      const double k = between ? std::sqrt(k_class * curve_class_curvature(c + 1)) : k_class;
      const double hand = uniform(rng, 0, 1) < 0.5 ? -1 : 1;
      const double turn = uniform(rng, 0.12, 0.9);
      const double arc = std::clamp(turn / k, 200.0, 4000.0);
      const double transition = uniform(rng, 0, 1) < 0.3 ? 0 : uniform(rng, 40, 120);
      if (transition > 0) out.push_back({transition, 0, hand * k, 0});
      out.push_back({arc, hand * k, hand * k, between ? 0 : static_cast<int>(hand) * c});
      if (transition > 0) out.push_back({transition, hand * k, 0, 0});
      done += arc + 2 * transition;
    }
  }
  return out;
}

// A smooth random function: a few sines of the given wavelengths, root mean square rms.
struct Wobble {
  double amplitude[3], wavelength[3], phase[3];
  Wobble(Rng& rng, double rms, double shortest, double longest) {
    for (int i = 0; i < 3; ++i) {
      amplitude[i] = rms * std::sqrt(2.0 / 3.0);
      wavelength[i] = uniform(rng, shortest, longest);
      phase[i] = uniform(rng, 0, 2 * std::numbers::pi);
    }
  }
  double operator()(double d) const {
    double v = 0;
    for (int i = 0; i < 3; ++i) {
      v += amplitude[i] * std::sin(2 * std::numbers::pi * d / wavelength[i] + phase[i]);
    }
    return v;
  }
};

}  // namespace

GeneratedAlignment generate_alignment(const AlignmentOptions& options) {
  Rng rng(options.seed);
  GeneratedAlignment g;
  g.seed = options.seed;
  const size_t metres = static_cast<size_t>(std::max(1000.0, options.length));
  AlignmentTruth& t = g.truth;
  t.track.resize(metres + 1);
  t.curvature.resize(metres + 1);
  t.curve_class.resize(metres + 1);

  // The plan, a metre at a time on the heading in the middle of the metre.
  const std::vector<Element> elements = plan_elements(rng, static_cast<double>(metres));
  double heading = uniform(rng, 0, 2 * std::numbers::pi);
  PlanePoint p{uniform(rng, -1000, 1000), uniform(rng, -1000, 1000)};
  size_t e = 0;
  double e_start = 0;
  const auto curvature_at = [&](double d, int* cls) {
    while (e + 1 < elements.size() && d >= e_start + elements[e].length) {
      e_start += elements[e].length;
      ++e;
    }
    const Element& el = elements[e];
    const double f = std::clamp((d - e_start) / el.length, 0.0, 1.0);
    if (cls != nullptr) *cls = el.curve_class;
    return el.k0 + f * (el.k1 - el.k0);
  };
  for (size_t m = 0; m <= metres; ++m) {
    int cls = 0;
    t.track[m] = p;
    t.curvature[m] = curvature_at(static_cast<double>(m), &cls);
    t.curve_class[m] = static_cast<int8_t>(cls);
    const double k_mid = curvature_at(static_cast<double>(m) + 0.5, nullptr);
    const double mid = heading + 0.5 * k_mid;
    p = {p.x + std::sin(mid), p.y + std::cos(mid)};
    heading += k_mid;
  }

  // The profile: straight grades of 0.6 to 4 km.
  t.elevation.resize(metres + 1);
  t.gradient.resize(metres + 1);
  double z = uniform(rng, 50, 600);
  for (size_t m = 0; m <= metres;) {
    const size_t len = static_cast<size_t>(uniform(rng, 600, 4000));
    const double grade = std::round(uniform(rng, -15, 15) * 10) / 10;
    for (size_t i = 0; i < len && m <= metres; ++i, ++m) {
      t.elevation[m] = z;
      t.gradient[m] = grade;
      z += grade / 1000;
    }
  }

  // Tunnels and bridges, apart from each other.
  for (double d = uniform(rng, 2000, 8000); d + 3000 < static_cast<double>(metres);) {
    if (uniform(rng, 0, 1) < 0.5) {
      const double len = uniform(rng, 300, 2500);
      g.tunnels.push_back({d, d + len});
      d += len;
    } else {
      const double len = uniform(rng, 60, 500);
      g.bridges.push_back({d, d + len});
      d += len;
    }
    d += uniform(rng, 3000, 12000);
  }

  // A tunnel is driven on one grade: the profile runs straight between its portals.
  for (const Span& tunnel : g.tunnels) {
    const size_t a = static_cast<size_t>(tunnel.from), b = static_cast<size_t>(tunnel.to);
    const double grade = (t.elevation[b] - t.elevation[a]) / static_cast<double>(b - a);
    for (size_t m = a; m <= b; ++m) {
      t.elevation[m] = t.elevation[a] + grade * static_cast<double>(m - a);
      t.gradient[m] = 1000 * grade;
    }
  }

  // Stations every 6 to 15 km, some off the track; the kilometre jumps at the one nearest the
  // middle.
  for (double d = uniform(rng, 500, 3000); d < static_cast<double>(metres) - 500;
       d += uniform(rng, 6000, 15000)) {
    const double lateral = uniform(rng, 0, 1) < 0.5 ? 0 : uniform(rng, -40, 40);
    g.stations.push_back({d, lateral, "Stazione " + std::to_string(g.stations.size() + 1)});
  }
  if (options.kilometre_jump && g.stations.size() >= 3) {
    const double middle = static_cast<double>(metres) / 2;
    const auto it =
        std::min_element(g.stations.begin() + 1, g.stations.end() - 1,
                         [&](const TrackFeature& a, const TrackFeature& b) {
                           return std::abs(a.distance - middle) < std::abs(b.distance - middle);
                         });
    g.jump_at = std::floor(it->distance);
  }
  const double sign = options.falling_kilometrage ? -1 : 1;
  const double jump = options.falling_kilometrage ? 12'800 : -4'300;
  t.kilometre.resize(metres + 1);
  for (size_t m = 0; m <= metres; ++m) {
    const double d = static_cast<double>(m);
    double km = options.first_kilometre + sign * d;
    if (g.jump_at >= 0 && d >= g.jump_at) km += jump;
    t.kilometre[m] = km;
  }
  for (double d = static_cast<double>(metres) / 200;
       d < static_cast<double>(metres) - static_cast<double>(metres) / 200;
       d += uniform(rng, 2000, 8000)) {
    g.level_crossings.push_back({d, 0, ""});
  }

  // Marks: a milepost at every whole kilometre, and every station's kilometre.
  for (size_t m = 1; m <= metres; ++m) {
    const double a = t.kilometre[m - 1], b = t.kilometre[m];
    if (std::abs(b - a) > 2) continue;  // the jump
    if (std::floor(a / 1000) != std::floor(b / 1000)) {
      const double post = std::max(std::floor(a / 1000), std::floor(b / 1000)) * 1000;
      g.marks.push_back({static_cast<double>(m) - std::abs(b - post), post});
    }
  }
  for (const TrackFeature& s : g.stations) {
    g.marks.push_back({s.distance, std::round(t.kilometre[static_cast<size_t>(s.distance)])});
  }
  std::sort(g.marks.begin(), g.marks.end(),
            [](const KilometreMark& a, const KilometreMark& b) { return a.position < b.position; });
  if (options.wrong_mark && g.marks.size() > 4) {
    g.wrong_mark = static_cast<int64_t>(g.marks.size() / 4);
    g.marks[static_cast<size_t>(g.wrong_mark)].kilometre += 3'000;  // a mistyped digit
  }

  // The mapped nodes: close on and near curves, far apart on straights, off the track by a
  // slow drift and a jitter.
  const Wobble drift(rng, options.noise / std::sqrt(2.0), 1500, 6000);
  std::normal_distribution<double> jitter(0, options.noise / 2);  // per axis: sqrt(2)/2 in all
  const auto curved_near = [&](double d) {
    for (double a = std::max(0.0, d - 100); a <= std::min<double>(metres, d + 200); a += 20) {
      if (std::abs(t.curvature[static_cast<size_t>(a)]) > 1e-6) return true;
    }
    return false;
  };
  for (double d = 0;;) {
    const PlanePoint q = g.point(d, drift(d));
    g.nodes.push_back({q.x + jitter(rng), q.y + jitter(rng)});
    g.node_distance.push_back(d);
    if (d >= static_cast<double>(metres)) break;
    d = std::min<double>(metres,
                         d + (curved_near(d) ? uniform(rng, 10, 30) : uniform(rng, 60, 250)));
  }
  return g;
}

PlanePoint GeneratedAlignment::point(double distance, double lateral) const {
  const double last = length();
  const double d = std::clamp(distance, 0.0, last);
  const size_t m = std::min(static_cast<size_t>(d), truth.track.size() - 2);
  const double f = d - static_cast<double>(m);
  const PlanePoint a = truth.track[m], b = truth.track[m + 1];
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len = std::hypot(dx, dy);
  // To the right of the direction of travel.
  const double nx = dy / len, ny = -dx / len;
  return {a.x + f * dx + lateral * nx, a.y + f * dy + lateral * ny};
}

double GeneratedAlignment::terrain(double distance, double lateral) const {
  const double d = std::clamp(distance, 0.0, length());
  const size_t m = static_cast<size_t>(d);
  double z = truth.elevation[m];
  // Embankments and cuttings of a few metres, from the seed.
  const double s = static_cast<double>(seed % 1000);
  z += 0.8 * std::sin(d / 230 + s) + 0.6 * std::sin(d / 1330 + 2 * s);
  for (const Span& tunnel : tunnels) {
    const double len = tunnel.to - tunnel.from;
    const double f = (d - tunnel.from) / len;  // the hill meets the track at the portals
    if (f > 0 && f < 1) z += (20 + 0.1 * len) * std::sin(std::numbers::pi * f);
  }
  for (const Span& bridge : bridges) {
    const double f = (d - bridge.from) / (bridge.to - bridge.from);
    if (f > 0 && f < 1)
      z -= (8 + 0.05 * (bridge.to - bridge.from)) * std::sin(std::numbers::pi * f);
  }
  return z + 0.03 * lateral * std::sin(d / 2500);
}

}  // namespace scenario::testing

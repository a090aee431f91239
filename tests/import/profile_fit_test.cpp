// Gradients and kilometrage fitted to what a terrain model and the mileposts of a generated
// line give, against the line's truth.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "import/gradient_fit.h"
#include "import/kilometrage_fit.h"
#include "support/alignment_generator.h"

namespace scenario {
namespace {

using testing::AlignmentOptions;
using testing::generate_alignment;
using testing::GeneratedAlignment;

// The terrain along the track every 20 m, with a terrain model's noise, valid outside [gap).
std::vector<ElevationSample> terrain_samples(const GeneratedAlignment& g, uint64_t seed,
                                             Span gap = {-1, -1}) {
  std::mt19937_64 rng(seed);
  std::normal_distribution<double> noise(0, 1.5);
  std::vector<ElevationSample> out;
  for (double d = 0; d <= g.length(); d += 20) {
    const bool valid = !(d >= gap.from && d < gap.to);
    out.push_back({d, g.terrain(d) + noise(rng), valid});
  }
  return out;
}

std::vector<Span> spans_of(const GeneratedAlignment& g) {
  std::vector<Span> spans = g.tunnels;
  spans.insert(spans.end(), g.bridges.begin(), g.bridges.end());
  return spans;
}

// Share of whole kilometres whose written gradient is within 2 per mille of the truth's.
double kilometres_within(const GeneratedAlignment& g, const GradientFit& fit) {
  int good = 0, all = 0;
  for (size_t k = 0; k + 1000 <= g.truth.elevation.size() - 1; k += 1000) {
    const double truth = g.truth.elevation[k + 1000] - g.truth.elevation[k];
    const double written =
        profile_elevation(fit.rows, static_cast<double>(k + 1000)) - profile_elevation(fit.rows, k);
    good += std::abs(written - truth) <= 2;
    ++all;
  }
  return static_cast<double>(good) / all;
}

// Measured on seeds 1 to 6 (docs/import-fitting.md): 83 to 94% of the kilometres within
// 2 per mille of the truth, short of the 95% aimed at; the misses lie where a terrain model's
// slow undulation of a metre or so meets a change of grade. The test holds the line reached.
TEST(GradientFit, GeneratedProfilesPerKilometre) {
  for (uint64_t seed = 1; seed <= 6; ++seed) {
    AlignmentOptions o;
    o.seed = seed;
    const GeneratedAlignment g = generate_alignment(o);
    const GradientFit fit = fit_gradients(terrain_samples(g, seed), spans_of(g), g.length());
    EXPECT_GE(kilometres_within(g, fit), 0.8) << "seed " << seed;
    EXPECT_TRUE(fit.uncovered.empty());
    ASSERT_FALSE(fit.rows.empty());
    EXPECT_EQ(fit.rows.front().position, 0);
    for (size_t i = 1; i < fit.rows.size(); ++i) {
      EXPECT_GE(fit.rows[i].position - fit.rows[i - 1].position, 400) << "seed " << seed;
      EXPECT_EQ(fit.rows[i].position % 50, 0);
      EXPECT_NE(fit.rows[i].gradient, fit.rows[i - 1].gradient);
    }
  }
}

// Where the terrain model does not reach, the line is level and the stretch is said.
TEST(GradientFit, NoDataIsLevelAndNamed) {
  AlignmentOptions o;
  o.seed = 2;
  o.length = 40'000;
  const GeneratedAlignment g = generate_alignment(o);
  const GradientFit fit =
      fit_gradients(terrain_samples(g, 2, {10'000, 22'000}), spans_of(g), g.length());
  ASSERT_EQ(fit.uncovered.size(), 1u);
  EXPECT_NEAR(fit.uncovered[0].from, 10'000, 50);
  EXPECT_NEAR(fit.uncovered[0].to, 22'000, 50);
  for (double p = 10'100; p < 21'900; p += 100) {
    EXPECT_EQ(profile_elevation(fit.rows, p + 100) - profile_elevation(fit.rows, p), 0) << p;
  }
  // Nothing at all: one level row, and the whole route uncovered.
  const GradientFit none = fit_gradients({}, {}, 5000);
  ASSERT_EQ(none.rows.size(), 1u);
  EXPECT_EQ(none.rows[0].gradient, 0);
  ASSERT_EQ(none.uncovered.size(), 1u);
  EXPECT_THROW(fit_gradients({{0, std::nan(""), true}}, {}, 1000), std::invalid_argument);
}

TEST(KilometrageFit, GeneratedMarksWithAJumpAndAWrongTag) {
  for (const bool falling : {true, false}) {
    AlignmentOptions o;
    o.seed = 4;
    o.falling_kilometrage = falling;
    const GeneratedAlignment g = generate_alignment(o);
    const KilometrageFit fit = fit_kilometrage(g.marks, g.length());
    ASSERT_EQ(fit.progressives.size(), 2u);
    EXPECT_EQ(fit.progressives[0].direction, falling ? 1 : 0);
    EXPECT_TRUE(fit.rejected[static_cast<size_t>(g.wrong_mark)]);
    EXPECT_LE(fit.max_residual, 50);
    for (const testing::TrackFeature& s : g.stations) {
      EXPECT_NEAR(kilometre_at(fit.progressives, s.distance),
                  g.truth.kilometre[static_cast<size_t>(s.distance)], 50)
          << s.name << (falling ? " falling" : " rising");
    }
    for (const ProgressiveRow& p : fit.progressives) {
      EXPECT_EQ(p.start % 50, 0);
      EXPECT_EQ(p.value % 50, 0);
    }
  }
}

TEST(KilometrageFit, Cases) {
  // No marks: the all-zero progressive, which counts the route position itself.
  const KilometrageFit none = fit_kilometrage({}, 10'000);
  ASSERT_EQ(none.progressives.size(), 1u);
  EXPECT_FALSE(none.from_marks);
  EXPECT_EQ(kilometre_at(none.progressives, 1234), 1234);
  // Four runs: the three with most marks are kept.
  std::vector<KilometreMark> marks;
  const double offsets[] = {10'000, 50'000, 90'000, 130'000};
  const int counts[] = {5, 1, 4, 6};
  double p = 0;
  for (int r = 0; r < 4; ++r) {
    for (int i = 0; i < counts[r]; ++i, p += 1000) marks.push_back({p, offsets[r] + p});
  }
  const KilometrageFit four = fit_kilometrage(marks, p);
  EXPECT_TRUE(four.merged);
  ASSERT_EQ(four.progressives.size(), 3u);
  EXPECT_EQ(four.progressives[1].value, 90'000);
  EXPECT_THROW(fit_kilometrage({{std::nan(""), 0}}, 1000), std::invalid_argument);
}

}  // namespace
}  // namespace scenario

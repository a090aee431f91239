// Fits the line source's gradient rows to elevations sampled along the track: whole per mille
// stretches, bridges and tunnels spanned between their ends, level where there is no data.
#pragma once

#include <cstdint>
#include <vector>

namespace scenario {

// An elevation sampled on the track (from a terrain model, so it carries the model's noise).
struct ElevationSample {
  double position = 0;   // route position, metres (RouteMap::route_position of the sample)
  double elevation = 0;  // metres above any fixed datum
  bool valid = false;    // false where no terrain model covers the point
};

// A stretch along the route, metres of route position, from < to.
struct Span {
  double from = 0;
  double to = 0;
};

struct GradientFitOptions {
  // Shortest stretch of one gradient, metres (the last may be shorter where the route ends).
  double min_stretch = 400;
  // Cost of one more stretch, in squared metres of residual of the 50 m means of the
  // elevation: a new stretch must explain at least this much more of the profile.
  double stretch_penalty = 40;
  // Steepest gradient written, per mille either way (the reader takes -100 to 155).
  int32_t max_gradient = 60;
};

// One gradient row of the line source: "pendenza, position, gradient".
struct GradientRow {
  int32_t position = 0;  // route position from which it holds, metres, a multiple of 50
  int32_t gradient = 0;  // per mille, positive rising along the route
};

// One written stretch and how well it fits its samples.
struct GradientStretch {
  double from = 0;  // route position, metres
  double to = 0;
  int32_t gradient = 0;  // per mille
  // Root mean square and greatest distance, metres, between the written profile and the
  // samples used (tunnels and bridges left out); 0 where none was used.
  double rms_error = 0;
  double max_error = 0;
  bool no_data = false;  // level, because no valid sample covers it
};

struct GradientFit {
  std::vector<GradientRow> rows;  // ascending positions; the first at 0
  std::vector<GradientStretch> stretches;
  // Stretches written level for want of data (invalid samples), merged, in route order.
  std::vector<Span> uncovered;
  double rms_error = 0;  // over all samples used, metres
  double max_error = 0;
};

// Fits gradient rows over route positions 0 to route_length. Samples in any order; those
// inside a span (a tunnel or a bridge, where the terrain is not the track) are left out and
// the track runs straight between the span's ends. Throws std::invalid_argument for a
// non-finite value or a negative route_length.
GradientFit fit_gradients(const std::vector<ElevationSample>& samples,
                          const std::vector<Span>& spans, double route_length,
                          const GradientFitOptions& options = {});

// The elevation of the written profile at a route position, metres, relative to position 0:
// each row's gradient from its position to the next row's.
double profile_elevation(const std::vector<GradientRow>& rows, double position);

}  // namespace scenario

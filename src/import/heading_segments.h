// The curvature diagram of a track cut into pieces of constant curvature: its heading against
// distance fitted by straight lines, one per piece, by least squares with a penalty for each
// piece (optimal partition by dynamic programming).
#pragma once

#include <cstddef>
#include <vector>

namespace scenario {

// One piece: samples from to to - 1, its heading a + b (t - t[from]).
struct HeadingPiece {
  size_t from = 0;
  size_t to = 0;
  double a = 0;  // radians
  double b = 0;  // radians per metre: the piece's curvature
};

// Partitions samples (distance t ascending, heading h) into pieces of at least min_samples
// and, before merging, at most max_samples, minimising the squared residuals plus
// penalty * noise variance per piece, the noise variance estimated from the samples
// themselves; then merges neighbours whose joint fit costs less than one piece's penalty.
std::vector<HeadingPiece> segment_heading(const std::vector<double>& t,
                                          const std::vector<double>& h, size_t min_samples,
                                          size_t max_samples, double penalty);

}  // namespace scenario

// Generated railway alignments with their truth, for testing the import's fits: straights,
// arcs of each curve class and of radii between classes, clothoid transitions, a mapper's
// noise on the nodes, an elevation profile with tunnels and bridges, kilometre marks with a
// jump. The tests and the benchmarks share it; it is no part of what ships.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/alignment_fit.h"
#include "import/gradient_fit.h"
#include "import/kilometrage_fit.h"

namespace scenario::testing {

struct AlignmentOptions {
  uint64_t seed = 1;
  double length = 90'000;  // metres of true track
  // Standard deviation of a mapped node from the true track, metres: half as a slow drift
  // along the line (a traced image a little off), half as independent jitter per node.
  double noise = 2;
  // Kilometrage: falling along the route (as on the built-in line) or rising; a jump of the
  // kilometre (a new progressive) halfway, and one mark with a wrong value.
  bool falling_kilometrage = true;
  double first_kilometre = 75'700;  // the kilometre at the start, metres
  bool kilometre_jump = true;
  bool wrong_mark = true;
};

// A point of interest beside the track: at a distance along the true track, off it by lateral
// metres (positive to the right of the direction of travel).
struct TrackFeature {
  double distance = 0;
  double lateral = 0;
  std::string name;
};

// What the truth is, one entry per metre of true track (index = distance in metres).
struct AlignmentTruth {
  std::vector<PlanePoint> track;
  std::vector<double> curvature;  // radians per metre, positive to the right
  // Where the truth is an arc of a curve class: the class (1 to 6), negative for a left hand;
  // 0 on straights, transitions and arcs between classes.
  std::vector<int8_t> curve_class;
  std::vector<double> elevation;  // of the track, metres
  std::vector<double> gradient;   // per mille, rising along the route
  std::vector<double> kilometre;  // the line's kilometre, metres
};

struct GeneratedAlignment {
  AlignmentTruth truth;
  // The track as mapped: nodes from the start to the end in order, closer on curves than on
  // straights, each off the true track by the options' noise.
  std::vector<PlanePoint> nodes;
  std::vector<double> node_distance;  // the true distance of each node's point, metres
  std::vector<Span> tunnels;          // true distances
  std::vector<Span> bridges;          // true distances
  // Kilometre marks (mileposts every kilometre of the line's kilometrage and one at every
  // station), as true distance and kilometre; one of them wrong when asked.
  std::vector<KilometreMark> marks;
  double jump_at = -1;                        // true distance where the kilometre jumps; -1 without
  int64_t wrong_mark = -1;                    // index into marks of the wrong one; -1 without
  std::vector<TrackFeature> stations;         // every 6 to 15 km, some off the track
  std::vector<TrackFeature> level_crossings;  // on the track (lateral 0)
  double length() const { return static_cast<double>(truth.track.size() - 1); }

  // The terrain's elevation at a true distance, lateral metres off the track: the track's own
  // elevation with a few metres of embankments and cuttings, a hill over every tunnel, a
  // valley under every bridge, and a cross slope. What a terrain model would hold there.
  double terrain(double distance, double lateral = 0) const;
  // The plane point at a true distance and lateral offset.
  PlanePoint point(double distance, double lateral = 0) const;

  uint64_t seed = 0;
};

// Generates an alignment; the same options give the same alignment.
GeneratedAlignment generate_alignment(const AlignmentOptions& options);

}  // namespace scenario::testing

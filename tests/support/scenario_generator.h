// Generated scenarios of any route length, for measuring how a build grows with the route. The
// tests and the benchmarks share it; it is no part of what ships.
#pragma once

#include <cstdint>
#include <string>

namespace scenario::testing {

// The two source texts of a generated scenario (CR LF lines, as the emitters write them).
struct GeneratedSources {
  std::string line;   // the line source, NAME_linea.txt
  std::string train;  // the train source, NAME_TRAIN-.txt
};

// Which scenario of a length to generate.
struct GeneratorOptions {
  // 0 gives the one scenario of each length that the benchmarks measure.
  uint64_t seed = 0;
  // Rows of every kind with varied values: all curve sharpnesses, curves end to end, mountain
  // kinds with and without markers and ranges close enough to become kind 3, speed boards of
  // every form, quoted board texts and station names, all station kinds, adhesion steps,
  // slowdowns with and without a walk and a pre-warning run, signals of both kinds within the
  // compiler's reach around slowdowns, and code-cut rows.
  bool every_row_kind = false;
  // With every_row_kind: also values that the reader rounds or narrows without a status (speed
  // limits 2 km/h above their boards, code-cut values beyond 16 bits, a signal field 11 of 50,
  // a progressive's direction flag of 2, a first station's field 5, slowdowns not below their
  // limit) and random timetables, passed stations timed among them, all of which `check` warns
  // of. false keeps the varied rows as an
  // author means them: ascending times, values stored as written.
  bool narrowed_values = true;
  // The train source's station, slowdown and signal rows in one shuffled sequence (from the
  // seed), as an author who adds rows where the cursor happens to be writes them. The readers
  // take rows in any order, but later marks overwrite earlier ones. Stations keep their order
  // among themselves: a station listed before one it follows on the route is a fault.
  bool shuffled_rows = false;
};

inline constexpr int32_t kMinGeneratedKm = 20;
inline constexpr int32_t kMaxGeneratedKm = 1000;

// A sound scenario of route_km kilometres (kMinGeneratedKm to kMaxGeneratedKm) that compiles
// with status 0, with the densities of a real line: a curve every 700 m, a gradient change
// every 2 km, a mountain range every 4 km, a speed board and speed limit every 5 km, a signal
// every 2.5 km, a slowdown every 50 km (at least one), and as many boards (at most 50, one per
// 2 km) and stations (at most 25, one per 5 km) as the general table has slots for. No two items
// share a block, and nothing stands where the compiler places the points around a slowdown.
// The same length and options always give the same bytes. Throws std::invalid_argument for other
// lengths.
GeneratedSources generate_scenario(int32_t route_km, const GeneratorOptions& options = {});

}  // namespace scenario::testing

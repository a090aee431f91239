// Reading a scenario's compiled files into the input of the running-time calculation: the one
// place where the calculation meets the file decoders.
#pragma once

#include <string>
#include <vector>

#include "model/curve_table.h"
#include "model/general_table.h"
#include "model/identity.h"
#include "model/track_array.h"
#include "timing/run_input.h"

namespace scenario {

// A compiled file that cannot be read or decoded, or that carries no station; line is the
// message to show, naming the file.
struct RunInputFailure {
  std::string line;
};

// What the calculation reads of the decoded tables: the block limits, gradients and adhesion,
// the slowdowns, the plan's curves, the stations with their stop markers and times, the
// progressives, the coaches, the brake-mass percentage and the start clock.
timing::RunInput run_input(const GeneralTable& general, const std::vector<TrackBlock>& track,
                           const CurveTable& curves);

// The progressives in use (not all zero) of slots 83 to 81, as the line source writes them:
// without the offset that the compile adds to a falling one.
std::vector<timing::Progressive> line_progressives(const GeneralTable& general);

// The three compiled files of a scenario, decoded.
struct CompiledTables {
  GeneralTable general;
  std::vector<TrackBlock> track;
  CurveTable curves;
};
// Reads and decodes the three compiled files of id in dir. Throws RunInputFailure.
CompiledTables load_compiled_tables(const std::string& dir, const Identity& id);

// Reads and decodes the three compiled files of id in dir. Throws RunInputFailure, also for
// a general table without a station.
timing::RunInput load_run_input(const std::string& dir, const Identity& id);

}  // namespace scenario

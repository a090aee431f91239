// Drawing a compiled scenario as one self-contained SVG: the plan, then the route's profiles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/curve_table.h"
#include "model/general_table.h"
#include "model/track_array.h"

namespace scenario {

// The plan path is drawn through the curve table's own points every this many metres (and at
// the route's last metre).
inline constexpr int64_t kPlanSampleMetres = 50;

struct PlotInput {
  std::string name;   // scenario base name
  std::string train;  // train number
  const GeneralTable& general;
  const std::vector<TrackBlock>& track;
  const CurveTable& curves;
};

// A slowdown as the plot draws it: from its start block to the first end block after it (a
// start with no end after it stays a mark of its own), in metres.
struct SlowdownStretch {
  double from, to;
  int kmh;
};

// Every slowdown start of the track, in route order, found in one pass.
std::vector<SlowdownStretch> slowdown_stretches(const std::vector<TrackBlock>& track);

// The whole picture. The plan's route and run-out polylines carry their sampled metres
// (data-metres) and the plan transform (data-transform "a b c d e f": x = a·X + c·Y + e,
// y = b·X + d·Y + f, one scale on both axes, turned so that the route runs left to right), so
// a reader can check the drawing against the table.
std::string render_plot_svg(const PlotInput& in);

}  // namespace scenario

// What the documents read of a compiled scenario beyond the run: the stations' own names, the
// line-side boards, the slowdowns as the train source gives them, and the kilometrage as the
// line source writes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/general_table.h"
#include "model/track_array.h"
#include "timing/run_input.h"

namespace scenario::documents {

// A line-side board: where it stands (the row's position) and its lines, "(A)(B)" read as "A B".
struct Board {
  int64_t position = 0;
  std::string text;  // Windows-1252
};

// A slowdown as the train source wrote it: start position, length, speed.
struct OrderSlowdown {
  int64_t position = 0, length = 0;
  int kmh = 0;
};

struct RouteFacts {
  std::vector<std::string> station_names;  // Windows-1252, in the run's station order
  std::vector<Board> boards;               // in route order
  std::vector<OrderSlowdown> slowdowns;    // in route order
  // The progressives with the kilometre values of the line source: the compiled value less
  // the 100 m that the line reader adds to a progressive of direction 1.
  std::vector<timing::Progressive> kilometrage;
};

RouteFacts route_facts(const GeneralTable& general, const std::vector<TrackBlock>& track);

// The progressive in force at a route position: the one with the latest start at or before
// it; none when no progressive is in use or none starts so early.
std::optional<timing::Progressive> progressive_at(const std::vector<timing::Progressive>& ps,
                                                  int64_t position);
// The line's kilometre at a position by one progressive (the position itself without one).
int64_t kilometre_by(const std::optional<timing::Progressive>& p, int64_t position);

// Board text "(CAVALCAVIA)( VIA ROVERE )" as "CAVALCAVIA VIA ROVERE": the bracketed lines,
// trimmed, joined by one blank; a text without brackets is only trimmed.
std::string board_words(const std::string& text);

}  // namespace scenario::documents

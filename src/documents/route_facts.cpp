#include "documents/route_facts.h"

#include "format/general_image.h"
#include "inspect/run_input.h"
#include "timing/kilometrage.h"

namespace scenario::documents {
namespace {

std::string trimmed(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// A block's item stands at the position of its source row: blocks are placed at
// round(position / 50 + 1).
int64_t row_position(size_t block) { return (static_cast<int64_t>(block) - 1) * kBlockMetres; }

}  // namespace

std::string board_words(const std::string& text) {
  std::string out;
  size_t at = 0;
  bool bracketed = false;
  while (true) {
    const size_t open = text.find('(', at);
    if (open == std::string::npos) break;
    const size_t close = text.find(')', open + 1);
    if (close == std::string::npos) break;
    bracketed = true;
    const std::string line = trimmed(text.substr(open + 1, close - open - 1));
    if (!line.empty()) out += (out.empty() ? "" : " ") + line;
    at = close + 1;
  }
  return bracketed ? out : trimmed(text);
}

RouteFacts route_facts(const GeneralTable& general, const std::vector<TrackBlock>& track) {
  RouteFacts f;
  for (int slot : station_slots(general)) f.station_names.push_back(general[slot].text);
  // The first slowdown end at or after each block, found backward so that a track of many
  // starts and no ends still costs one pass.
  std::vector<size_t> next_end(track.size() + 1, track.size());
  for (size_t b = track.size(); b-- > 0;) {
    next_end[b] = track[b].code == kSlowdownEnd ? b : next_end[b + 1];
  }
  for (size_t b = 0; b < track.size(); ++b) {
    const TrackBlock& blk = track[b];
    if (blk.code == kIndicationBoard && blk.value1 > 0 && blk.value1 < GeneralTable::kSlots) {
      f.boards.push_back({row_position(b), board_words(general[blk.value1].text)});
    }
    if (blk.code == kSlowdownStart) {
      // Its end is the first end block after the start (the track's end when there is none).
      const size_t e = next_end[b + 1];
      f.slowdowns.push_back(
          {row_position(b), static_cast<int64_t>(e - b) * kBlockMetres, blk.value1});
    }
  }
  f.kilometrage = line_progressives(general);
  return f;
}

std::optional<timing::Progressive> progressive_at(const std::vector<timing::Progressive>& ps,
                                                  int64_t position) {
  const timing::Progressive* p = timing::progressive_in_force(ps, static_cast<double>(position));
  return p ? std::optional(*p) : std::nullopt;
}

int64_t kilometre_by(const std::optional<timing::Progressive>& p, int64_t position) {
  // Whole metres in, whole metres out: the double holds them exactly.
  return static_cast<int64_t>(
      timing::kilometre_on(p ? &*p : nullptr, static_cast<double>(position)));
}

}  // namespace scenario::documents

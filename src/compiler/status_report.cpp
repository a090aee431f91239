#include "compiler/status_report.h"

namespace scenario {

std::string status_message(int32_t code) {
  switch (code) {
    case 0:
      return "no fault";
    case 1:
      return "route length above 1,000,000 m";
    case 2:
      return "a kilometre progressive bound is not a multiple of 50";
    case 3:
      return "signal repetition start is not a multiple of 50";
    case 4:
      return "signal repetition end is not a multiple of 50";
    case 5:
      return "signal repetition keyword holds neither 4 nor 9";
    case 6:
      return "indication board on a block already taken";
    case 7:
      return "code-cut row on a block already taken";
    case 8:
      return "station position is not a multiple of 50";
    case 9:
      return "station length is not a multiple of 100";
    case 10:
      return "too many stations for the general table slots left by the boards";
    case 11:
      return "no free block for the code-cut point before a signal";
    case 12:
      return "no free block for a code-cut point before a slowdown start";
    case 13:
      return "no free block for a code-cut point in or after a slowdown";
    case 15:
      return "row position beyond the end of the track";
    case 16:
      return "signal on a block already taken";
    case 17:
      return "slowdown warning block already taken";
    case 18:
      return "slowdown start block already taken";
    case 19:
      return "slowdown end block already taken";
    case 20:
      return "slowdown pre-warning block already taken";
    case 21:
      return "speed board on a block already taken";
    case 22:
      return "station area starts less than 350 m after the previous station's";
    case 24:
      return "station stop marker would lie at block 1 or before";
    case 25:
      return "the source could not be read";
    case 101:
      return "no line source file";
    case 102:
      return "no [generale] section in the line source";
    case 103:
      return "curve keyword without a digit 1 to 6, or a curve past 1,000,000 m";
    default:
      return "unknown status";
  }
}

bool status_has_position(int32_t code) {
  switch (code) {
    case 6:
    case 7:
    case 8:
    case 9:
    case 11:
    case 12:
    case 13:
    case 15:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
    case 22:
      return true;
    default:
      return false;
  }
}

std::string format_status_line(const BuildState& state, const std::string& reason) {
  const int32_t code = state.read_status;
  const RowOrigin& o = state.status_origin;
  std::string line;
  if (o.known()) {
    line += o.file;
    const int32_t at = code == 25 && o.field_line > 0 ? o.field_line : o.line;
    if (at > 0) line += ":" + std::to_string(at);
    line += ": ";
  }
  line += "status " + std::to_string(code);
  if (status_has_position(code)) {
    line += " at " + std::to_string(state.read_status_position) + " m";
  }
  line += ": " + status_message(code);
  if (code == 25 && !reason.empty()) line += ": " + reason;
  return line;
}

}  // namespace scenario

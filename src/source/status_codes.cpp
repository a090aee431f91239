#include "source/status_codes.h"

namespace scenario {
namespace {

// The row's position (or its first value) is field 1.
constexpr int kPositionField = 1;

constexpr CodeInfo kCodes[] = {
    {kClean, "no fault", false, kPositionField},
    {kRouteTooLong, "route length above 1,000,000 m", false, kPositionField},
    {kProgressiveNotMultiple, "a kilometre progressive bound is not a multiple of 50", false,
     kPositionField},
    {kRepetitionStartNotMultiple, "signal repetition start is not a multiple of 50", false,
     kPositionField},
    {kRepetitionEndNotMultiple, "signal repetition end is not a multiple of 50", false, 2},
    {kRepetitionKeyword, "signal repetition keyword holds neither 4 nor 9", false, 0},
    {kIndicationBoardTaken, "indication board on a block already taken", true, kPositionField},
    {kCodeCutTaken, "code-cut row on a block already taken", true, kPositionField},
    {kStationPositionNotMultiple, "station position is not a multiple of 50", true, kPositionField},
    {kStationLengthNotMultiple, "station length is not a multiple of 100", true, 3},
    {kTooManyStations, "too many stations for the general table slots left by the boards", false,
     kPositionField},
    {kNoPointBeforeSignal, "no free block for the code-cut point before a signal", true,
     kPositionField},
    {kNoPointBeforeSlowdown, "no free block for a code-cut point before a slowdown start", true,
     kPositionField},
    {kNoPointInSlowdown, "no free block for a code-cut point in or after a slowdown", true,
     kPositionField},
    {kBeyondTrack, "row position beyond the end of the track", true, kPositionField},
    {kSignalTaken, "signal on a block already taken", true, kPositionField},
    {kSlowdownWarningTaken, "slowdown warning block already taken", true, kPositionField},
    {kSlowdownStartTaken, "slowdown start block already taken", true, kPositionField},
    {kSlowdownEndTaken, "slowdown end block already taken", true, kPositionField},
    {kPreWarningTaken, "slowdown pre-warning block already taken", true, kPositionField},
    {kSpeedBoardTaken, "speed board on a block already taken", true, kPositionField},
    {kStationTooClose, "station area starts less than 350 m after the previous station's", true,
     kPositionField},
    {kStopMarkerTooEarly, "station stop marker would lie at block 1 or before", false,
     kPositionField},
    {kReadFailure, "the source could not be read", false, kBlameLastField},
    {kNoLineSource, "no line source file", false, kPositionField},
    {kNoGeneralSection, "no [generale] section in the line source", false, kPositionField},
    {kBadCurve, "curve keyword without a digit 1 to 6, or a curve past 1,000,000 m", false, 0},
    {kFormatMarkInUse,
     "the format mark's field is already in use (block 1 value1 or slot 85 int1): the row puts "
     "an item on block 1",
     false, kPositionField},
    {kScenarioCodeInUse,
     "the scenario code's field is already in use (block 1 value2 or slot 85 long4): the row "
     "puts an item on block 1",
     false, kPositionField},
};

constexpr CodeInfo kUnknown = {-1, "unknown status", false, kPositionField};

constexpr WarningInfo kWarnings[] = {
    {kUnknownKeyword, "unknown-keyword",
     "a row whose keyword names no row kind of its section (the reader skips it), or a curve "
     "keyword whose hand letter is neither s nor d"},
    {kCommentRow, "comment-row",
     "a line written as a comment (#, ;, //) without a hyphen: the reader has no comment sign "
     "and reads it as a row or skips it only by chance"},
    {kFieldCount, "field-count",
     "a row with fewer values on its line than its kind takes (the reader takes the rest from "
     "the next line) or with more (the reader skips the rest)"},
    {kDecimalPart, "decimal-part",
     "a number followed by a field that looks like its decimal part, as in 8,5: the reader "
     "takes 8 and then 5 as the next value"},
    {kNotAscending, "not-ascending",
     "gradient, speed, adhesion, station or signal rows whose positions do not ascend"},
    {kOverlap, "overlap", "a curve or a mountain range that starts inside the one before it"},
    {kPastRouteEnd, "past-route-end",
     "an item placed past the route length, or a curve, mountain range or slowdown that runs "
     "past it"},
    {kRoundedValue, "rounded-value",
     "a value the reader rounds or narrows without a status: speeds that are not multiples of "
     "5, positions between blocks, values too large for their field, signal field 11 from 1 to "
     "100"},
    {kTimeBackwards, "time-backwards",
     "a station whose scheduled time is earlier than that of a timed station before it"},
    {kUtf8Text, "utf8-text",
     "UTF-8 text: the sources are Windows-1252, so each accented letter shows as two"},
    {kNotCp1252, "not-cp1252", "control bytes, or bytes that Windows-1252 leaves undefined"},
    {kTrainAboveBoards, "train-above-boards",
     "a train speed limit above every speed of the line's speed board in force where it "
     "starts"},
    {kNoGeneral, "no-general",
     "a train source in which no field holds [generale]: the reader takes nothing of it"},
    {kNoteRow, "note-row",
     "a row after a note on its line (- nota, pendenza, 2000, 30): a hyphen makes a comment of "
     "its own field only, and the reader takes the row"},
    {kValueRange, "value-range",
     "a value outside what it can mean: a clock or a timetable minute of 60, a direction flag "
     "or a flag that takes 0 or 1, a speed of 0, a length of 0, a kind the readers do not know"},
    {kDuplicate, "duplicate",
     "two stations of one name, or two kilometre progressives from one start"},
    {kOverridden, "overridden",
     "a row without effect: a later row of the same kind replaces it, or a station written "
     "after a signal, slowdown or code-cut row puts its stop marker over that row's block"},
    {kSlowdownSpeed, "slowdown-speed",
     "a slowdown whose speed does not lower the train's speed limit anywhere along it"},
    {kStationKind, "station-kind",
     "a station kind that contradicts its time: a passed kind (25 and above) with a scheduled "
     "time, or a stop kind without one"},
    {kTextLength, "text-length",
     "a station name longer than the cell of the timetable sheet that shows it"},
    {kSectionHeader, "section-header",
     "a missing section header (the line's body rows read as general rows and skipped) or a "
     "misspelt one"},
    {kByteOrderMark, "byte-order-mark", "a UTF-8 byte order mark at the start of the file"},
};

}  // namespace

std::span<const WarningInfo> warning_infos() { return kWarnings; }

const WarningInfo* warning_info(int32_t code) {
  for (const WarningInfo& w : kWarnings) {
    if (w.code == code) return &w;
  }
  return nullptr;
}

const WarningInfo* find_warning(std::string_view name) {
  for (const WarningInfo& w : kWarnings) {
    if (w.name == name) return &w;
  }
  return nullptr;
}

const CodeInfo& code_info(int32_t code) {
  for (const CodeInfo& c : kCodes) {
    if (c.code == code) return c;
  }
  return kUnknown;
}

}  // namespace scenario

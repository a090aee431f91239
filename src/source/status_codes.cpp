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

}  // namespace

const CodeInfo& code_info(int32_t code) {
  for (const CodeInfo& c : kCodes) {
    if (c.code == code) return c;
  }
  return kUnknown;
}

}  // namespace scenario

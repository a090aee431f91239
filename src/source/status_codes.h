// The codes a build can end with, and what each means to an author: one table for the readers
// (which field of a row to blame), the compile and every report.
#pragma once

#include <cstdint>

namespace scenario {

// ReadStatus codes, set by the readers, the recorders and the compiler's post-processing.
enum StatusCode : int32_t {
  kClean = 0,
  kRouteTooLong = 1,
  kProgressiveNotMultiple = 2,
  kRepetitionStartNotMultiple = 3,
  kRepetitionEndNotMultiple = 4,
  kRepetitionKeyword = 5,
  kIndicationBoardTaken = 6,
  kCodeCutTaken = 7,
  kStationPositionNotMultiple = 8,
  kStationLengthNotMultiple = 9,
  kTooManyStations = 10,
  kNoPointBeforeSignal = 11,
  kNoPointBeforeSlowdown = 12,
  kNoPointInSlowdown = 13,
  kBeyondTrack = 15,
  kSignalTaken = 16,
  kSlowdownWarningTaken = 17,
  kSlowdownStartTaken = 18,
  kSlowdownEndTaken = 19,
  kPreWarningTaken = 20,
  kSpeedBoardTaken = 21,
  kStationTooClose = 22,
  kStopMarkerTooEarly = 24,
  kReadFailure = 25,
  kNoLineSource = 101,
  kNoGeneralSection = 102,
  kBadCurve = 103,
};

// The errore numbers: a reserved field that the compiler stamps is already in use.
enum ErroreNumber : int32_t {
  kFormatMarkInUse = 1250,
  kScenarioCodeInUse = 1251,
};

// Which field of the row a code blames: the field read last, or a field by its index among the
// row's fields (the keyword is 0).
inline constexpr int kBlameLastField = -1;

struct CodeInfo {
  int32_t code;
  const char* message;
  bool has_position;  // the code records the position of the row or block concerned
  int blame;          // kBlameLastField or a field index
};

// The entry of a status code or an errore number; an unknown code gets "unknown status".
const CodeInfo& code_info(int32_t code);

}  // namespace scenario

// The codes a build can end with, and what each means to an author: one table for the readers
// (which field of a row to blame), the compile and every report.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

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

// What the readers take without a status but an author most likely did not mean: reported by
// `check` as warnings, each kind under a short name that an author can silence.
enum WarningCode : int32_t {
  kUnknownKeyword = 1,
  kCommentRow = 2,
  kFieldCount = 3,
  kDecimalPart = 4,
  kNotAscending = 5,
  kOverlap = 6,
  kPastRouteEnd = 7,
  kRoundedValue = 8,
  kTimeBackwards = 9,
  kUtf8Text = 10,
  kNotCp1252 = 11,
  kTrainAboveBoards = 12,
  kNoGeneral = 13,
  kNoteRow = 14,
  kValueRange = 15,
  kDuplicate = 16,
  kOverridden = 17,
  kSlowdownSpeed = 18,
  kStationKind = 19,
  kTextLength = 20,
  kSectionHeader = 21,
  kByteOrderMark = 22,
};

struct WarningInfo {
  int32_t code;
  std::string_view name;     // stable: `check --no-warn=NAME` and the reports use it
  std::string_view trigger;  // what makes it fire, for the help and the reference
};

std::span<const WarningInfo> warning_infos();
// The entry of a warning code; null for an unknown one.
const WarningInfo* warning_info(int32_t code);
// The entry of a warning name; null when no warning has that name.
const WarningInfo* find_warning(std::string_view name);

}  // namespace scenario

// The rows of a scenario's two sources as recovered from its compiled files, before they are
// written as text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace scenario::decompile {

// A value that holds from a position on (gradient, speed limit, adhesion).
struct Step {
  int32_t position = 0;
  int32_t value = 0;
};

struct Progressive {
  int32_t start = 0, value = 0, direction = 0;
};

struct CurveRow {
  bool left = false;
  int digit = 1;  // 1 to 6: the sharpness
  int32_t start = 0, length = 0;
};

struct MountainRow {
  int32_t start = 0, end = 0, kind = 0;
};

struct SpeedBoardRow {
  int32_t position = 0;
  std::array<int32_t, 3> first{}, second{};
  int32_t first_code = 0, second_code = 0;
  bool second_empty = false;  // the second group's speeds written as empty fields
};

struct BoardRow {
  int32_t position = 0;
  std::string text;  // Windows-1252 bytes
};

struct LineRows {
  int32_t route_length = 0;
  Progressive uno, due, tre;
  int32_t background_uno = 0, background_due = 0, background_tre = 0;
  int32_t repetition_start = 0, repetition_end = 0;
  int repetition_codes = 4;  // 4 or 9: the digit of the keyword
  std::vector<CurveRow> curves;
  std::vector<Step> gradients;
  std::vector<MountainRow> mountains;
  std::vector<SpeedBoardRow> speed_boards;
  std::vector<BoardRow> boards;  // in the order of their slots, 80 downward
};

struct StationRow {
  std::array<int32_t, 16> fields{};  // fields 1 to 16 of the row
  std::string name;
};

struct SlowdownRow {
  std::array<int32_t, 6> fields{};  // position, then fields 2 to 6
};

struct SignalRow {
  std::array<int32_t, 11> fields{};  // position, then fields 2 to 11
};

struct TrainRows {
  int32_t coaches = 0, brake_mass = 0;
  int32_t sand = 0;
  int32_t hours = 0, minutes = 0, seconds = 0;
  std::vector<Step> adhesion, speeds;
  std::vector<StationRow> stations;
  std::vector<SlowdownRow> slowdowns;
  std::vector<SignalRow> signals;  // in the order they are read
  // Where the stations stand among the signals: station k is read after the first
  // signals_before_station[k] signals, since of two rows whose approach marks meet, the one
  // read later keeps its own. Empty: every station before every signal.
  std::vector<size_t> signals_before_station;
  std::vector<Step> code_cuts;  // position, value (0 for a cut without a value)
};

}  // namespace scenario::decompile

// The table of 87 general entries: global values, stations and board texts.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace scenario {

// One slot of the general table; fields in the order of the file image.
struct GeneralEntry {
  uint8_t code = 0;
  int32_t long1 = 0;
  int32_t long2 = 0;
  int32_t long3 = 0;
  uint8_t flag = 0;
  std::string text;  // Windows-1252 bytes
  int16_t int1 = 0;
  int16_t int2 = 0;
  int16_t int3 = 0;
  int16_t int4 = 0;
  int16_t int5 = 0;
  uint8_t byte1 = 0;
  uint8_t byte2 = 0;
  uint8_t byte3 = 0;
  uint8_t byte4 = 0;
  int32_t long4 = 0;

  bool operator==(const GeneralEntry&) const = default;
};

// Slots 0 to 86: stations from 1 up, board texts from 80 down, global values in 81 to 86.
class GeneralTable {
 public:
  static constexpr int kSlots = 87;
  static constexpr int kFirstBoardSlot = 80;
  static constexpr int kProgressiveLast = 81;    // "tre"
  static constexpr int kProgressiveMiddle = 82;  // "due"
  static constexpr int kProgressiveFirst = 83;   // "uno"
  // Added to the kilometre value of a progressive with direction 1 when the sources are read;
  // the line's kilometre is the value as the author wrote it.
  static constexpr int32_t kFallingProgressiveOffset = 100;
  static constexpr int kTrainAndRoute = 84;  // brake mass, route length, coaches
  static constexpr int kScenarioSlot = 85;   // base name, backgrounds, format mark, code
  static constexpr int kTrainSlot = 86;      // train number, repetition, sand, clock

  // The global values by what they hold; each names its slot and field once.
  int32_t& brake_mass_percentage() { return slots_[kTrainAndRoute].long1; }
  int32_t& route_length() { return slots_[kTrainAndRoute].long2; }
  int32_t& coaches() { return slots_[kTrainAndRoute].long3; }
  int16_t& format_mark() { return slots_[kScenarioSlot].int1; }
  int32_t& scenario_code() { return slots_[kScenarioSlot].long4; }
  int32_t& repetition_start() { return slots_[kTrainSlot].long1; }
  int32_t& repetition_end() { return slots_[kTrainSlot].long2; }
  int32_t& repetition_codes() { return slots_[kTrainSlot].long3; }
  int16_t& sand() { return slots_[kTrainSlot].int1; }
  int16_t& clock_hours() { return slots_[kTrainSlot].int3; }
  int16_t& clock_minutes() { return slots_[kTrainSlot].int4; }
  int16_t& clock_seconds() { return slots_[kTrainSlot].int5; }
  // The backgrounds of the rows "sfondo" with "uno", "tre" and "due", in that order.
  int32_t& background_uno() { return slots_[kScenarioSlot].long1; }
  int32_t& background_tre() { return slots_[kScenarioSlot].long2; }
  int32_t& background_due() { return slots_[kScenarioSlot].long3; }

  // Sets every slot to its initial values.
  void reset() { slots_.fill(GeneralEntry{}); }

  GeneralEntry& operator[](int slot) { return slots_.at(static_cast<size_t>(slot)); }
  const GeneralEntry& operator[](int slot) const { return slots_.at(static_cast<size_t>(slot)); }

 private:
  std::array<GeneralEntry, kSlots> slots_{};
};

}  // namespace scenario

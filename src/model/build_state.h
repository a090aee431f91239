// The state of one build: identity, flag, status, and the three structures the files image.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/curve_table.h"
#include "model/general_table.h"
#include "model/identity.h"
#include "model/track_array.h"

namespace scenario {

// Ranges recorded by memo_montagna; room for 80, index 0 never used.
struct MountainRegister {
  static constexpr int kCapacity = 80;
  int32_t count = 0;
  std::array<int32_t, kCapacity + 1> starts{};
  std::array<int32_t, kCapacity + 1> ends{};
  // The last range recorded, kept even beyond the capacity for the gap test.
  int32_t last_end = 0;
};

struct BuildState {
  // Identity, set once before anything else.
  std::string scenario_name;
  std::string train_number;
  // The directory the emitters write the texts into.
  std::string directory;

  int32_t build_flag = 0;
  int32_t read_status = 0;
  int32_t read_status_position = 0;

  GeneralTable general;
  TrackArray track;
  CurveTable curves;
  MountainRegister mountains;

  int32_t loop_counter = 0;
  std::string current_field;

  Identity identity() const { return {scenario_name, train_number}; }
  std::string path(const std::string& name) const { return directory + "/" + name; }
};

}  // namespace scenario

// The state of one build: identity, flag, status, and the three structures the files image.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/curve_table.h"
#include "model/general_table.h"
#include "model/identity.h"
#include "model/track_array.h"

namespace scenario {

// Where a source row lies, for reporting a status against the author's text.
struct RowOrigin {
  std::string file;        // file name without directory; empty when no row is known
  int32_t line = 0;        // line of the row's first field, from 1
  int32_t column = 0;      // column of the field that caused the status, from 1
  int32_t last_line = 0;   // line of the row's last field read
  int32_t field_line = 0;  // line of the field that caused the status

  bool known() const { return !file.empty(); }
};

// One status as recorded: its code, position and the row concerned.
struct StatusEvent {
  int32_t code = 0;
  int32_t position = 0;
  RowOrigin origin;
};

// Ranges recorded by memo_montagna; room for 80, index 0 never used.
struct MountainRegister {
  static constexpr int kCapacity = 80;
  int32_t count = 0;
  std::array<int32_t, kCapacity + 1> starts{};
  std::array<int32_t, kCapacity + 1> ends{};
  // The last range recorded, kept even beyond the capacity for the gap test.
  int32_t last_end = 0;
};

// Which source row placed the item in a block, so that compiler codes can name a row.
struct BlockOrigins {
  std::vector<int32_t> line;    // 0 = no row known
  std::vector<int32_t> column;  // of the row's position field
  std::vector<uint8_t> file;    // 0 none, 1 line source, 2 train source
};

struct BuildState {
  // Identity, set once before anything else.
  std::string scenario_name;
  std::string train_number;
  // The directory the sources are read from and the compiled files written to.
  std::string directory;
  // Where the compiled files go when it differs from directory (the authors' tool).
  std::string output_directory;

  // The authors' tool reads an author's own sources, which must never be deleted.
  bool keep_sources = false;
  // When set, the sources are these texts by file name, and no source file is touched.
  const std::map<std::string, std::string>* source_texts = nullptr;
  // When set, every code the compiler records is appended here too (it keeps only the last).
  std::vector<StatusEvent>* compiler_log = nullptr;

  int32_t build_flag = 0;
  int32_t read_status = 0;
  int32_t read_status_position = 0;
  RowOrigin status_origin;

  GeneralTable general;
  TrackArray track;
  CurveTable curves;
  MountainRegister mountains;
  BlockOrigins block_origins;

  int32_t loop_counter = 0;
  std::string current_field;

  Identity identity() const { return {scenario_name, train_number}; }
  std::string path(const std::string& name) const { return directory + "/" + name; }
  std::string output_path(const std::string& name) const {
    return (output_directory.empty() ? directory : output_directory) + "/" + name;
  }
};

}  // namespace scenario

// The three compiled files of one scenario, decoded: what decompile works from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/curve_table.h"
#include "model/general_table.h"
#include "model/track_array.h"

namespace scenario::decompile {

// The raw bytes of the three files, with the names they were read under (for messages).
struct CompiledBytes {
  std::string curve_name, general_name, track_name;
  std::string curve, general, track;
};

struct CompiledFiles {
  GeneralTable general;
  std::vector<TrackBlock> blocks;
  CurveTable curves;
};

// Decodes the three images. On a layout fault returns nothing and sets problem to one line
// naming the file, the byte offset and the fault.
std::optional<CompiledFiles> decode_compiled(const CompiledBytes& bytes, std::string& problem);

}  // namespace scenario::decompile

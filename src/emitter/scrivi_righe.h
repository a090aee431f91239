// The common write procedure of the five emitters.
#pragma once

#include <span>
#include <string>

#include "emitter/row_list.h"
#include "format/replace_file.h"
#include "model/build_state.h"

namespace scenario {

// Writes the rows before the end marker (index 1000 at the latest) to path as Windows-1252
// lines ended by CR LF, replacing any earlier file whole. Leaves state.loop_counter at the
// marker's index. Throws FileError; a failed write leaves the earlier file as it was.
// written says what an interrupting signal does to the file once written.
void scrivi_righe(BuildState& state, const RowList& rows, const std::string& path,
                  OnInterrupt written = OnInterrupt::kKeep);

// Writes rows already in Windows-1252 to path in the same line form, however many they are:
// each row and CR LF, the last included. Throws FileError; the earlier file stays on failure.
void write_text_lines(std::span<const std::string> cp1252_rows, const std::string& path);

}  // namespace scenario

#include "emitter/scrivi_righe.h"

#include "format/cp1252.h"
#include "format/replace_file.h"

namespace scenario {

void scrivi_righe(BuildState& state, const RowList& list, const std::string& path,
                  OnInterrupt written) {
  FileReplacer out(path, written);
  for (int i = 0; i < RowList::kRows; ++i) {
    state.loop_counter = i;
    if (list.rows[i] == kEndMarker) break;
    if (i == RowList::kRows - 1) break;  // no marker: stop at the last index, unwritten
    out.write(utf8_to_cp1252(list.rows[i]));
    out.write("\r\n");
  }
  out.commit();
}

}  // namespace scenario

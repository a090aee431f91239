#include "emitter/scrivi_righe.h"

#include "format/cp1252.h"
#include "format/replace_file.h"

namespace scenario {
namespace {

void write_line(FileReplacer& out, std::string_view cp1252) {
  out.write(cp1252);
  out.write("\r\n");
}

}  // namespace

void scrivi_righe(BuildState& state, const RowList& list, const std::string& path,
                  OnInterrupt written) {
  FileReplacer out(path, written);
  for (int i = 0; i < RowList::kRows; ++i) {
    state.loop_counter = i;
    if (list.rows[i] == kEndMarker) break;
    if (i == RowList::kRows - 1) break;  // no marker: stop at the last index, unwritten
    write_line(out, utf8_to_cp1252(list.rows[i]));
  }
  out.commit();
}

void write_text_lines(std::span<const std::string> cp1252_rows, const std::string& path) {
  FileReplacer out(path);
  for (const std::string& row : cp1252_rows) write_line(out, row);
  out.commit();
}

}  // namespace scenario

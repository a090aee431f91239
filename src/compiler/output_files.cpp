#include "compiler/output_files.h"

#include "compiler/replace_file.h"
#include "format/curve_image.h"
#include "format/file_names.h"
#include "format/general_image.h"
#include "format/track_image.h"

namespace scenario {

std::vector<std::string> write_compiled_files(const BuildState& state) {
  std::vector<std::string> written;
  if (state.build_flag != 0) {
    const std::string name = curve_file_name(state.identity());
    FileReplacer out(state.output_path(name));
    write_curve_image(out, state.curves);
    out.commit();
    written.push_back(name);
  }
  {
    const std::string name = general_file_name(state.identity());
    FileReplacer out(state.output_path(name));
    write_general_image(out, state.general);
    out.commit();
    written.push_back(name);
  }
  {
    const std::string name = track_file_name(state.identity());
    FileReplacer out(state.output_path(name));
    write_track_image(out, state.track);
    out.commit();
    written.push_back(name);
  }
  return written;
}

}  // namespace scenario

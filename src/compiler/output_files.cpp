#include "compiler/output_files.h"

#include "format/curve_image.h"
#include "format/file_error.h"
#include "format/file_names.h"
#include "format/general_image.h"
#include "format/replace_file.h"
#include "format/track_image.h"

namespace scenario {

std::vector<std::string> write_compiled_files(const BuildState& state,
                                              const std::vector<std::string>& names,
                                              const std::string& directory) {
  const Identity id = state.identity();
  // Two images under one name would leave only the later one.
  if (const std::optional<std::string> problem = identity_check(id)) {
    throw FileError(directory, *problem);
  }
  std::vector<std::string> written;
  for (const std::string& name : names) {
    FileReplacer out(directory + "/" + name);
    if (name == curve_file_name(id)) {
      write_curve_image(out, state.curves);
    } else if (name == general_file_name(id)) {
      write_general_image(out, state.general);
    } else if (name == track_file_name(id)) {
      write_track_image(out, state.track);
    } else {
      throw FileError(directory + "/" + name, "not a compiled file of " + id.name + "_" + id.train);
    }
    out.commit();
    written.push_back(name);
  }
  return written;
}

}  // namespace scenario

#include "compiler/output_files.h"

#include "format/curve_image.h"
#include "format/file_error.h"
#include "format/file_names.h"
#include "format/general_image.h"
#include "format/replace_file.h"
#include "format/track_image.h"
#include "format/update_file.h"

namespace scenario {

std::vector<std::string> write_compiled_files(const BuildState& state,
                                              const std::vector<std::string>& names,
                                              const std::string& directory,
                                              WhenUnchanged unchanged) {
  const Identity id = state.identity();
  // Two images under one name would leave only the later one.
  if (const std::optional<std::string> problem = identity_check(id)) {
    throw FileError(directory, *problem);
  }
  std::vector<std::string> written;
  for (const std::string& name : names) {
    const std::string path = directory + "/" + name;
    const auto image = [&](auto& out) {
      if (name == curve_file_name(id)) {
        write_curve_image(out, state.curves);
      } else if (name == general_file_name(id)) {
        write_general_image(out, state.general);
      } else {
        write_track_image(out, state.track);
      }
      out.commit();
    };
    if (name != curve_file_name(id) && name != general_file_name(id) &&
        name != track_file_name(id)) {
      throw FileError(path, "not a compiled file of " + id.name + "_" + id.train);
    }
    if (unchanged == WhenUnchanged::kKeep) {
      FileUpdater out(path);
      image(out);
    } else {
      FileReplacer out(path);
      image(out);
    }
    written.push_back(name);
  }
  return written;
}

}  // namespace scenario

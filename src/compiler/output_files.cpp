#include "compiler/output_files.h"

#include "compiler/replace_file.h"
#include "model/images.h"

namespace scenario {

std::string curve_file_name(const std::string& s) { return s + "_linea.dat"; }
std::string general_file_name(const std::string& s, const std::string& t) {
  return s + "_" + t + ".sim";
}
std::string track_file_name(const std::string& s, const std::string& t) {
  return s + "_" + t + ".dat";
}

std::vector<std::string> write_compiled_files(const BuildState& state) {
  std::vector<std::string> written;
  if (state.build_flag != 0) {
    const std::string name = curve_file_name(state.scenario_name);
    FileReplacer out(state.output_path(name));
    write_curve_image(out, state.curves);
    out.commit();
    written.push_back(name);
  }
  {
    const std::string name = general_file_name(state.scenario_name, state.train_number);
    FileReplacer out(state.output_path(name));
    write_general_image(out, state.general);
    out.commit();
    written.push_back(name);
  }
  {
    const std::string name = track_file_name(state.scenario_name, state.train_number);
    FileReplacer out(state.output_path(name));
    write_track_image(out, state.track);
    out.commit();
    written.push_back(name);
  }
  return written;
}

}  // namespace scenario

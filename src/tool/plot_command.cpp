#include "tool/plot_command.h"

#include "format/curve_image.h"
#include "format/file_names.h"
#include "format/general_image.h"
#include "format/read_file.h"
#include "format/replace_file.h"
#include "format/track_image.h"
#include "inspect/plot_svg.h"
#include "tool/compiled_folder.h"
#include "tool/scenario_identity.h"
#include "tool/scenario_options.h"

namespace scenario::tool {
namespace {

// Reads and decodes one compiled file. Throws std::runtime_error with the line to show.
template <typename T>
T load(const std::string& path, FileKind kind, Decoded<T> (*decode)(std::string_view)) {
  Decoded<T> d = decode(read_compiled_file(path, kind));
  if (!d.ok()) {
    throw std::runtime_error(path + ": offset " + std::to_string(d.error().offset) + ": " +
                             d.error().message);
  }
  return std::move(d.value());
}

}  // namespace

CommandLine plot_command_line() {
  CommandLine c("plot", "draw the compiled scenario in DIR: plan and route profiles as SVG");
  declare_identity_options(c);
  c.option("-o,--output", "FILE.svg", "the drawing to write", true);
  c.operand("DIR", "the folder of the compiled files");
  return c;
}

int plot_command(const std::vector<std::string>& args, std::ostream& err) {
  CommandLine c = plot_command_line();
  if (const auto done = c.parse(args, std::cout, err)) return *done;
  ScenarioOptions o;
  try {
    o = scenario_options(c, "DIR");
  } catch (const UsageError& e) {
    return c.refuse(e.what(), err);
  }
  Identity id;
  if (const int refused = find_compiled_identity(c, o, id, err)) return refused;
  try {
    const GeneralTable general = load<GeneralTable>(o.directory + "/" + general_file_name(id),
                                                    FileKind::kGeneral, decode_general);
    const std::vector<TrackBlock> track = load<std::vector<TrackBlock>>(
        o.directory + "/" + track_file_name(id), FileKind::kTrack, decode_track);
    const CurveTable curves =
        load<CurveTable>(o.directory + "/" + curve_file_name(id), FileKind::kCurve, decode_curve);
    replace_file(*o.output, render_plot_svg({id.name, id.train, general, track, curves}));
  } catch (const std::exception& e) {
    err << "scenario-tool plot: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}

}  // namespace scenario::tool

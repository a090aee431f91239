#include "tool/plot_command.h"

#include "compiler/replace_file.h"
#include "format/curve_image.h"
#include "format/file_names.h"
#include "format/general_image.h"
#include "format/track_image.h"
#include "tool/plot_svg.h"
#include "tool/read_bytes.h"
#include "tool/scenario_identity.h"
#include "tool/scenario_options.h"

namespace scenario::tool {
namespace {

constexpr const char* kPlotUsage =
    "usage: scenario-tool plot [--name NAME] [--train NUMBER] -o FILE.svg DIR";

// The shared options, with -o required.
ScenarioOptions parse(const std::vector<std::string>& args) {
  ScenarioOptions o = parse_scenario_options(args, {.output = true, .directory = "DIR"});
  if (!o.output || o.output->empty()) throw UsageError{"-o FILE.svg is missing"};
  return o;
}

// A file that cannot be read or decoded; what() is the line to show.
struct LoadFailure {
  std::string line;
};

template <typename T>
T load(const std::string& path, Decoded<T> (*decode)(std::string_view)) {
  std::string bytes;
  std::string problem;
  if (!read_bytes(path, bytes, problem)) throw LoadFailure{path + ": " + problem};
  Decoded<T> d = decode(bytes);
  if (!d.ok()) {
    throw LoadFailure{path + ": offset " + std::to_string(d.error().offset) + ": " +
                      d.error().message};
  }
  return std::move(d.value());
}

}  // namespace

int plot_command(const std::vector<std::string>& args, std::ostream& err) {
  ScenarioOptions o;
  Identity id;
  try {
    o = parse(args);
    id = resolve_identity(o.directory, o.name, o.train, IdentityFrom::kCompiled);
  } catch (const UsageError& e) {
    err << "scenario-tool plot: " << e.what() << "\n" << kPlotUsage << std::endl;
    return 2;
  }
  try {
    const GeneralTable general =
        load<GeneralTable>(o.directory + "/" + general_file_name(id), decode_general);
    const std::vector<TrackBlock> track =
        load<std::vector<TrackBlock>>(o.directory + "/" + track_file_name(id), decode_track);
    const CurveTable curves =
        load<CurveTable>(o.directory + "/" + curve_file_name(id), decode_curve);
    replace_file(*o.output, render_plot_svg({id.name, id.train, general, track, curves}));
  } catch (const LoadFailure& f) {
    err << "scenario-tool plot: " << f.line << std::endl;
    return 1;
  } catch (const std::exception& e) {
    err << "scenario-tool plot: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}

}  // namespace scenario::tool

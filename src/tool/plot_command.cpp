#include "tool/plot_command.h"

#include <filesystem>
#include <optional>
#include <set>

#include "compiler/output_files.h"
#include "compiler/replace_file.h"
#include "tool/decode_curve.h"
#include "tool/decode_general.h"
#include "tool/decode_track.h"
#include "tool/plot_svg.h"
#include "tool/read_bytes.h"
#include "tool/scenario_identity.h"
#include "tool/scenario_options.h"

namespace scenario::tool {
namespace {

constexpr const char* kPlotUsage =
    "usage: scenario-tool plot [--name NAME] [--train NUMBER] -o FILE.svg DIR";
constexpr std::string_view kCurveSuffix = "_linea.dat";

// The shared options, with -o required.
ScenarioOptions parse(const std::vector<std::string>& args) {
  ScenarioOptions o = parse_scenario_options(args, {.output = true, .directory = "DIR"});
  if (!o.output || o.output->empty()) throw UsageError{"-o FILE.svg is missing"};
  return o;
}

bool ends_with(const std::string& s, std::string_view suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The identity of the compiled files in dir: one curve file, and one ".sim"/".dat" pair of its
// name, unless the options say which.
Identity compiled_identity(const ScenarioOptions& o) {
  std::error_code ec;
  if (!std::filesystem::is_directory(o.directory, ec)) {
    throw UsageError{"'" + o.directory + "' is not a directory"};
  }
  std::set<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(o.directory, ec)) {
    files.insert(e.path().filename().string());
  }
  Identity id;
  if (o.name) {
    id.name = *o.name;
  } else {
    std::set<std::string> names;
    for (const auto& f : files) {
      if (ends_with(f, kCurveSuffix)) names.insert(f.substr(0, f.size() - kCurveSuffix.size()));
    }
    if (names.size() != 1) {
      std::string found;
      for (const auto& n : names) found += " " + n + std::string(kCurveSuffix);
      throw UsageError{"cannot tell the scenario name: " + o.directory + " holds " +
                       std::to_string(names.size()) + " curve files" +
                       (found.empty() ? "" : ":" + found) + "; give --name"};
    }
    id.name = *names.begin();
  }
  if (auto p = identity_problem("the scenario name", id.name)) throw UsageError{*p};
  if (o.train) {
    id.train = *o.train;
  } else {
    std::set<std::string> trains;
    const std::string prefix = id.name + "_";
    for (const auto& f : files) {
      if (f.size() > prefix.size() + 4 && f.compare(0, prefix.size(), prefix) == 0 &&
          ends_with(f, ".sim")) {
        const std::string t = f.substr(prefix.size(), f.size() - prefix.size() - 4);
        if (files.count(track_file_name(id.name, t)) != 0) trains.insert(t);
      }
    }
    if (trains.size() != 1) {
      std::string found;
      for (const auto& t : trains) found += " " + prefix + t + ".sim/.dat";
      throw UsageError{"cannot tell the train number: " + o.directory + " holds " +
                       std::to_string(trains.size()) + " .sim/.dat pairs of " + id.name +
                       (found.empty() ? "" : ":" + found) + "; give --train"};
    }
    id.train = *trains.begin();
  }
  if (auto p = identity_problem("the train number", id.train)) throw UsageError{*p};
  return id;
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
    id = compiled_identity(o);
  } catch (const UsageError& e) {
    err << "scenario-tool plot: " << e.message << "\n" << kPlotUsage << std::endl;
    return 2;
  }
  try {
    const GeneralTable general = load<GeneralTable>(
        o.directory + "/" + general_file_name(id.name, id.train), decode_general);
    const std::vector<TrackBlock> track = load<std::vector<TrackBlock>>(
        o.directory + "/" + track_file_name(id.name, id.train), decode_track);
    const CurveTable curves =
        load<CurveTable>(o.directory + "/" + curve_file_name(id.name), decode_curve);
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

#include "tool/decompile_command.h"

#include <algorithm>
#include <filesystem>

#include "decompile/decompile.h"
#include "format/file_error.h"
#include "format/file_names.h"
#include "format/marks.h"
#include "format/read_file.h"
#include "format/replace_file.h"
#include "tool/compiled_folder.h"
#include "tool/scenario_identity.h"
#include "tool/scenario_options.h"

namespace scenario::tool {
namespace {

struct Failure {
  std::string line;
};

std::string load(const std::string& path, FileKind kind) {
  try {
    return read_compiled_file(path, kind);
  } catch (const FileError& e) {
    throw Failure{e.what()};
  }
}

}  // namespace

CommandLine decompile_command_line() {
  CommandLine c("decompile",
                "recover the two sources of the compiled files in DIR, checked to compile back "
                "to the same bytes");
  declare_identity_options(c);
  c.option("-o,--output", "SRCDIR", "where the sources go (default: DIR)");
  c.flag("--force", "replace sources that exist");
  c.operand("DIR", "the folder of the compiled files");
  return c;
}

int decompile_command(const std::vector<std::string>& args, std::ostream& err) {
  CommandLine c = decompile_command_line();
  if (const auto done = c.parse(args, std::cout, err)) return *done;
  const bool force = c.given("--force");
  ScenarioOptions o;
  try {
    o = scenario_options(c, "DIR");
  } catch (const UsageError& e) {
    return c.refuse(e.what(), err);
  }
  Identity id;
  if (const int refused = find_compiled_identity(c, o, id, err)) return refused;
  try {
    decompile::CompiledBytes bytes;
    // The messages name the files by the paths they were read from.
    bytes.curve_name = o.directory + "/" + curve_file_name(id);
    bytes.general_name = o.directory + "/" + general_file_name(id);
    bytes.track_name = o.directory + "/" + track_file_name(id);
    bytes.curve = load(bytes.curve_name, FileKind::kCurve);
    bytes.general = load(bytes.general_name, FileKind::kGeneral);
    bytes.track = load(bytes.track_name, FileKind::kTrack);
    const decompile::DecompileOutcome d = decompile::decompile(bytes, id.name, id.train);
    if (!d.ok) throw Failure{d.error};

    const std::string outdir = o.output.value_or(o.directory);
    std::error_code ec;
    std::filesystem::create_directories(outdir, ec);
    if (ec) throw Failure{outdir + ": cannot create the directory: " + ec.message()};
    const std::string line_path = outdir + "/" + line_source_name(id);
    const std::string train_path = outdir + "/" + train_source_name(id);
    // An author's own sources are never replaced unasked.
    for (const std::string& p : {line_path, train_path}) {
      if (!force && std::filesystem::exists(p, ec)) {
        throw Failure{p + ": a source of that name exists; give --force to replace it"};
      }
    }
    replace_file(line_path, d.line_text);
    replace_file(train_path, d.train_text);
  } catch (const Failure& f) {
    err << "scenario-tool decompile: " << f.line << std::endl;
    return 1;
  } catch (const std::exception& e) {
    err << "scenario-tool decompile: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}

}  // namespace scenario::tool

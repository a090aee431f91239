#include "tool/decompile_command.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "decompile/decompile.h"
#include "format/file_error.h"
#include "format/file_names.h"
#include "format/marks.h"
#include "format/native_path.h"
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

// Where a source of this path is written: the path itself when nothing stands there, and with
// --force the file it names, through a link as fmt writes. Anything else at the path (an
// author's source unforced, a link to nothing, a folder or a device) is refused before a
// single file is written.
std::string source_target(const std::string& path, bool force) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status link = fs::symlink_status(native_path(path), ec);
  if (link.type() == fs::file_type::not_found) return path;
  if (ec) throw std::runtime_error(path + ": " + ec.message());
  const fs::file_status named = fs::status(native_path(path), ec);
  if (named.type() == fs::file_type::not_found && fs::is_symlink(link)) {
    throw std::runtime_error(path +
                             ": a symbolic link to nothing stands at that name: not replaced");
  }
  if (ec) throw std::runtime_error(path + ": " + ec.message());
  if (!fs::is_regular_file(named))
    throw std::runtime_error(path + ": not a regular file: not replaced");
  if (!force)
    throw std::runtime_error(path + ": a source of that name exists; give --force to replace it");
  const std::filesystem::path target = std::filesystem::canonical(native_path(path), ec);
  if (ec) throw std::runtime_error(path + ": " + ec.message());
  return path_text(target);
}

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
    std::filesystem::create_directories(native_path(outdir), ec);
    if (ec) throw Failure{outdir + ": cannot create the directory: " + ec.message()};
    // Both targets are looked at before either is written, and the pair goes in whole or not
    // at all: a line source without its train would compile to something else.
    const std::string line_path = source_target(outdir + "/" + line_source_name(id), force);
    const std::string train_path = source_target(outdir + "/" + train_source_name(id), force);
    if (line_path == train_path) {
      throw Failure{line_path + ": both sources would be written to this one file: not replaced"};
    }
    replace_files({{line_path, d.line_text}, {train_path, d.train_text}});
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

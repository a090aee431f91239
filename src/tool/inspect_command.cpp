#include "tool/inspect_command.h"

#include <filesystem>
#include <optional>

#include "format/curve_image.h"
#include "format/file_names.h"
#include "format/general_image.h"
#include "format/native_path.h"
#include "format/read_file.h"
#include "format/track_image.h"
#include "inspect/curve_view.h"
#include "inspect/general_view.h"
#include "inspect/track_view.h"
#include "tool/compiled_folder.h"

namespace scenario::tool {
namespace {

template <typename View>
void print(const View& v, bool json, std::ostream& out) {
  if (json) {
    print_json(v, out);
  } else {
    print_text(v, out);
  }
}

// Decodes and prints one file; false when it could not be read or decoded.
bool inspect_one(const std::string& path, bool json, std::ostream& out, std::ostream& err) {
  std::string bytes;
  try {
    bytes = read_compiled_file(path, file_kind(path));
  } catch (const std::exception& e) {
    err << e.what() << std::endl;
    return false;
  }
  const auto fail = [&](const DecodeError& e) {
    err << path << ": offset " << e.offset << ": " << e.message << std::endl;
    return false;
  };
  switch (file_kind(path)) {
    case FileKind::kGeneral: {
      auto d = decode_general(bytes);
      if (!d.ok()) return fail(d.error());
      print(general_view(path, bytes.size(), std::move(d.value())), json, out);
      return true;
    }
    case FileKind::kTrack: {
      auto d = decode_track(bytes);
      if (!d.ok()) return fail(d.error());
      print(track_view(path, bytes.size(), std::move(d.value())), json, out);
      return true;
    }
    case FileKind::kCurve: {
      auto d = decode_curve(bytes);
      if (!d.ok()) return fail(d.error());
      print(curve_view(path, bytes.size(), std::move(d.value())), json, out);
      return true;
    }
    default:
      return false;
  }
}

bool is_compiled(const std::string& path) {
  const FileKind k = file_kind(path);
  return k == FileKind::kGeneral || k == FileKind::kTrack || k == FileKind::kCurve;
}

}  // namespace

CommandLine inspect_command_line() {
  CommandLine c("inspect", "show what a compiled .sim, .dat or _linea.dat file holds");
  c.flag("--json", "one JSON object per file");
  c.operands("FILE", "a compiled file: NAME_NUMBER.sim, NAME_NUMBER.dat or NAME_linea.dat");
  return c;
}

int inspect_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLine c = inspect_command_line();
  if (const auto done = c.parse(args, out, err)) return *done;
  const bool json = c.given("--json");
  const std::vector<std::string> files = c.values("FILE");
  for (const std::string& f : files) {
    // What an author who has not compiled yet points at: the sources, or their folder.
    std::error_code ec;
    const FileKind kind = file_kind(f);
    std::optional<std::string> why;
    if (std::filesystem::is_directory(native_path(f), ec)) {
      why = sources_not_compiled(f);
      if (!why) {
        return c.refuse(f + " is a directory: name its compiled files (.sim, .dat, _linea.dat)",
                        err);
      }
    } else if (kind == FileKind::kLineSource || kind == FileKind::kTrainSource) {
      const std::string dir = path_text(native_path(f).parent_path());
      why = f + " is a source, not a compiled file; compile it first: scenario-tool compile " +
            (dir.empty() ? "." : dir);
    }
    // Not a fault of the command line: the scenario is not compiled yet.
    if (why) {
      err << "scenario-tool inspect: " << *why << std::endl;
      return 1;
    }
    if (!is_compiled(f)) {
      return c.refuse("cannot tell the kind of '" + f +
                          "' from its name: a compiled file ends in .sim, .dat or _linea.dat",
                      err);
    }
  }
  bool all_ok = true;
  for (size_t i = 0; i < files.size(); ++i) {
    if (i > 0 && !json) out << "\n";
    all_ok = inspect_one(files[i], json, out, err) && all_ok;
  }
  out.flush();
  return all_ok ? 0 : 1;
}

}  // namespace scenario::tool

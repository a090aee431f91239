#include "tool/fmt_command.h"

#include <filesystem>
#include <iostream>

#include "format/file_error.h"
#include "format/native_path.h"
#include "format/output_path.h"
#include "format/read_file.h"
#include "format/replace_file.h"
#include "formatter/source_formatter.h"
#include "source/source_store.h"

namespace scenario::tool {
namespace {

// Formats one file; true when it was (or, with check, would be) changed. Throws on failure.
bool format_file(const std::string& path, bool check) {
  const std::optional<SourceKind> kind = source_kind_of(path);
  if (!kind) {
    throw std::runtime_error(path +
                             ": not a source name: a line source ends in _linea.txt, a "
                             "train source in -.txt");
  }
  std::error_code ec;
  // Through a link the file it names is rewritten, not the link.
  const std::filesystem::path target = std::filesystem::canonical(native_path(path), ec);
  if (ec) throw std::runtime_error(path + ": " + ec.message());
  if (!std::filesystem::is_regular_file(target, ec)) {
    throw std::runtime_error(path + ": not a regular file");
  }
  // As the readers do, a source too long for them is refused before it is read.
  const uintmax_t size = std::filesystem::file_size(target, ec);
  if (!ec && size > kMaxSourceBytes) {
    throw std::runtime_error(path + ": larger than " + std::to_string(kMaxSourceBytes >> 20) +
                             " MiB; a source is refused before it is read");
  }
  std::string bytes;
  try {
    bytes = read_whole_file(path_text(target), kMaxSourceBytes);
  } catch (const FileError& e) {
    throw std::runtime_error(path + ": " + e.reason());
  }
  const FormattedSource f = format_source(bytes, *kind);
  if (f.untouched_from > 0) {
    std::cerr << path << ":" << f.untouched_from
              << ": a double quote that does not open and close a field on its line: left as it "
                 "stands from here on"
              << std::endl;
  }
  if (f.text == bytes) return false;
  // The replacement renames over the file, which its own permissions would not stop: a file
  // that its owner made read-only (or that is not ours to write) is left as it is.
  if (!check && (!writable_file(path_text(target)) ||
                 (std::filesystem::status(target).permissions() &
                  (std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                   std::filesystem::perms::others_write)) == std::filesystem::perms::none)) {
    throw std::runtime_error(path + ": read-only: not rewritten");
  }
  if (!check) {
    const auto perms = std::filesystem::status(target).permissions();
    replace_file(path_text(target), f.text);
    std::filesystem::permissions(target, perms, ec);
  }
  return true;
}

}  // namespace

CommandLine fmt_command_line() {
  CommandLine c("fmt",
                "rewrite sources into the emitter's column forms; --check lists the files that "
                "would change");
  c.flag("--check", "write nothing; list the files that would change, exit 1 when one would");
  c.operands("FILE", "a line source (NAME_linea.txt) or a train source (NAME_NUMBER-.txt)");
  return c;
}

int fmt_command(const std::vector<std::string>& args) {
  CommandLine c = fmt_command_line();
  if (const auto done = c.parse(args, std::cout, std::cerr)) return *done;
  const bool check = c.given("--check");
  const std::vector<std::string> files = c.values("FILE");
  bool failed = false;
  bool changes = false;
  for (const std::string& file : files) {
    try {
      if (format_file(file, check)) {
        changes = true;
        if (check) std::cout << file << "\n";
      }
    } catch (const std::exception& e) {
      std::cerr << "scenario-tool fmt: " << e.what() << std::endl;
      failed = true;
    }
  }
  std::cout.flush();
  return failed || (check && changes) ? 1 : 0;
}

}  // namespace scenario::tool

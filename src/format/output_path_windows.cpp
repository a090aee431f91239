#include <filesystem>

#include "format/file_error.h"
#include "format/output_path.h"
#include "format/windows_support.h"

namespace scenario {
namespace {

bool missing(DWORD err) { return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND; }

// What stands at a path that is there: its kind as the message names it, or nullptr for a
// regular file. A device name (NUL, CON) has no attributes of its own: its handle tells.
const char* kind_at(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return "a symbolic link";
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "a directory";
  windows::Handle h(CreateFileW(path.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.valid()) return nullptr;
  switch (GetFileType(h.get())) {
    case FILE_TYPE_DISK:
      return nullptr;
    case FILE_TYPE_CHAR:
      return "a character device";
    case FILE_TYPE_PIPE:
      return "a FIFO";
    default:
      return "not a regular file";
  }
}

}  // namespace

void check_replaceable(const std::string& path) {
  const std::wstring wide = windows::wide_path(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD err = GetLastError();
    if (missing(err)) return;
    throw FileError(path, "cannot write: " + windows::system_message(err));
  }
  if (const char* kind = kind_at(wide, attributes)) {
    throw FileError(path, std::string(kind) + " stands there, not a regular file: not replaced");
  }
}

bool writable_file(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(windows::wide_path(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
}

void make_output_directory(const std::string& dir) {
  const std::filesystem::path wide(windows::wide_path(dir));
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    std::error_code ec;
    if (!std::filesystem::exists(wide, ec)) {
      const std::filesystem::path to = std::filesystem::read_symlink(wide, ec);
      throw FileError(dir, "cannot create the output directory: a symbolic link to " +
                               (ec ? std::string("?") : windows::utf8(to.native())) +
                               ", which does not exist");
    }
  }
  std::error_code ec;
  std::filesystem::create_directories(wide, ec);
  if (ec && ec == std::errc::file_exists) {
    throw FileError(dir, "cannot create the output directory: a file of that name exists");
  }
  if (ec) throw FileError(dir, "cannot create the output directory: " + ec.message());
}

}  // namespace scenario

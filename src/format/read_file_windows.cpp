#include "format/file_error.h"
#include "format/read_file.h"
#include "format/windows_support.h"

namespace scenario {
namespace {

std::string too_long(uintmax_t size, uintmax_t max) {
  return std::to_string(size) + " bytes, more than the " + std::to_string(max) +
         " that compile writes at most";
}

}  // namespace

std::string read_whole_file(const std::string& path, uintmax_t max_bytes) {
  // FILE_FLAG_BACKUP_SEMANTICS opens a directory too, so that it is named as one; the kind is
  // then told from the handle itself.
  windows::Handle h(CreateFileW(windows::wide_path(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.valid()) {
    const DWORD err = GetLastError();
    if (err == ERROR_PIPE_BUSY) throw FileError(path, "is a FIFO or socket, not a regular file");
    throw FileError(path, "cannot open: " + windows::system_message(err));
  }
  switch (GetFileType(h.get())) {
    case FILE_TYPE_DISK:
      break;
    case FILE_TYPE_PIPE:
      throw FileError(path, "is a FIFO or socket, not a regular file");
    case FILE_TYPE_CHAR:
      throw FileError(path, "is a character device, not a regular file");
    default:
      throw FileError(path, "is not a plain file, not a regular file");
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h.get(), &info)) {
    throw FileError(path, "cannot read: " + windows::system_message(GetLastError()));
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    throw FileError(path, "is a directory, not a compiled file");
  }
  const uintmax_t size = (static_cast<uintmax_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size > max_bytes) throw FileError(path, too_long(size, max_bytes));
  std::string bytes(static_cast<size_t>(size), '\0');
  size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      if (used > max_bytes) throw FileError(path, too_long(used, max_bytes));
      bytes.resize(used + 65536);
    }
    const size_t want = bytes.size() - used;
    DWORD n = 0;
    if (!ReadFile(h.get(), bytes.data() + used,
                  want > (1u << 30) ? (1u << 30) : static_cast<DWORD>(want), &n, nullptr)) {
      throw FileError(path, "cannot read: " + windows::system_message(GetLastError()));
    }
    if (n == 0) break;
    used += n;
  }
  if (used > max_bytes) throw FileError(path, too_long(used, max_bytes));
  bytes.resize(used);
  return bytes;
}

}  // namespace scenario

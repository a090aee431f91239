#include "format/file_error.h"
#include "format/update_file.h"
#include "format/windows_support.h"

namespace scenario {

size_t FileUpdater::read_at(intptr_t file, uint8_t* into, size_t size, uint64_t offset,
                            const std::string& path) {
  size_t done = 0;
  while (done < size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset + done);
    at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
    const size_t want = size - done;
    DWORD n = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(file), into + done,
                  want > (1u << 30) ? (1u << 30) : static_cast<DWORD>(want), &n, &at)) {
      const DWORD err = GetLastError();
      if (err == ERROR_HANDLE_EOF) break;
      throw FileError(path, "cannot read: " + windows::system_message(err));
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

FileUpdater::FileUpdater(std::string target)
    : target_(std::move(target)), buffer_(new uint8_t[kBufferSize]) {
  // A link is replaced by the file, as FileReplacer does, never compared through; the old
  // file is shared for deletion, so that its replacement can take the name.
  const HANDLE h = CreateFileW(windows::wide_path(target_).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    replacer_.emplace(target_);
    return;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    CloseHandle(h);
    replacer_.emplace(target_);
    return;
  }
  old_fd_ = reinterpret_cast<intptr_t>(h);
  old_size_ = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  old_bytes_.reset(new uint8_t[kBufferSize]);
}

FileUpdater::~FileUpdater() { close_old(); }

void FileUpdater::close_old() {
  if (old_fd_ != -1) CloseHandle(reinterpret_cast<HANDLE>(old_fd_));
  old_fd_ = -1;
}

}  // namespace scenario

#include <atomic>
#include <cstring>

#include "format/file_aside.h"
#include "format/file_error.h"
#include "format/output_path.h"
#include "format/replace_file.h"
#include "format/signal_cleanup.h"
#include "format/windows_support.h"

namespace scenario {
namespace {

constexpr const char* kTempSuffix = ".tmp-";
constexpr const char* kAsideSuffix = ".old-";  // an earlier file kept until a set is whole
// The attributes a replaced file keeps; the others belong to the file system.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::string reason(const char* what, DWORD err = GetLastError()) {
  return std::string(what) + ": " + windows::system_message(err);
}

// ".NAME.tmp-XXXXXX" beside the target, the X's made new on each call. NAME is cut short when
// the whole would pass the 255 characters of a file name (counted in bytes, which is stricter).
std::string temp_name(const std::string& target, const char* suffix) {
  static std::atomic<unsigned> counter{0};
  const size_t sep = target.find_last_of("/\\");
  const std::string dir = sep == std::string::npos ? std::string() : target.substr(0, sep + 1);
  std::string base = sep == std::string::npos ? target : target.substr(sep + 1);
  const size_t extra = 1 + std::strlen(suffix) + 6;
  if (base.size() + extra > 255) {
    size_t keep = 255 - extra;
    while (keep > 0 && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) --keep;
    base.resize(keep);
  }
  unsigned seed =
      GetCurrentProcessId() * 2654435761u ^ GetTickCount() ^ (counter.fetch_add(1) * 40503u);
  std::string tag(6, '0');
  for (char& c : tag) {
    c = "abcdefghijklmnopqrstuvwxyz0123456789"[seed % 36];
    seed = seed / 36 + seed * 7919u;
  }
  return dir + "." + base + suffix + tag;
}

HANDLE as_handle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

bool write_all(HANDLE h, const uint8_t* bytes, size_t size) {
  while (size > 0) {
    DWORD n = 0;
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    if (!WriteFile(h, bytes, chunk, &n, nullptr)) return false;
    bytes += n;
    size -= n;
  }
  return true;
}

}  // namespace

FileReplacer::FileReplacer(std::string target, OnInterrupt committed)
    : target_(std::move(target)), committed_on_interrupt_(committed) {
  check_replaceable(target_);
  for (int attempt = 0; attempt < 100 && temp_.empty(); ++attempt) {
    const std::string name = temp_name(target_, kTempSuffix);
    // The temporary file is armed from the moment it exists.
    InterruptsDeferred deferred;
    const HANDLE h = CreateFileW(windows::wide_path(name).c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD err = GetLastError();
      if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) continue;
      throw FileError(target_, reason("cannot create", err));
    }
    fd_ = reinterpret_cast<intptr_t>(h);
    temp_ = name;
    arm_removal(temp_);
  }
  if (temp_.empty()) throw FileError(target_, "cannot create: no free temporary name");
  buffer_.reset(new uint8_t[kBufferSize]);
}

FileReplacer::~FileReplacer() {
  if (fd_ != -1) CloseHandle(as_handle(fd_));
  if (!committed_ && !temp_.empty()) remove_temp();
}

void FileReplacer::remove_temp() {
  InterruptsDeferred deferred;
  DeleteFileW(windows::wide_path(temp_).c_str());
  disarm_removal(temp_);
  temp_.clear();
}

void FileReplacer::fail(const std::string& what) {
  const DWORD err = GetLastError();
  if (fd_ != -1) CloseHandle(as_handle(fd_));
  fd_ = -1;
  remove_temp();
  throw FileError(target_, reason(what.c_str(), err));
}

void FileReplacer::write(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (used_ + size > kBufferSize) flush();
  if (size >= kBufferSize) {
    if (!write_all(as_handle(fd_), bytes, size)) fail("cannot write");
    return;
  }
  std::memcpy(buffer_.get() + used_, bytes, size);
  used_ += size;
}

void FileReplacer::flush() {
  if (!write_all(as_handle(fd_), buffer_.get(), used_)) fail("cannot write");
  used_ = 0;
}

bool FileReplacer::exchange_with_target() { return false; }

void FileReplacer::commit(Swap) {
  if (fd_ == -1) throw FileError(target_, "cannot write: file already closed");
  flush();
  // On the disk before it takes the target's name, so that a crash leaves the old file or the
  // whole new one.
  if (!FlushFileBuffers(as_handle(fd_))) fail("cannot write");
  const HANDLE h = as_handle(fd_);
  fd_ = -1;
  if (!CloseHandle(h)) fail("cannot write");
  const std::wstring target = windows::wide_path(target_);
  const std::wstring temp = windows::wide_path(temp_);
  InterruptsDeferred deferred;
  // A read-only target would refuse the move: the attribute is lifted for it, and both it and
  // the others go to the new file.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
  if (existed && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  if (!MoveFileExW(temp.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD err = GetLastError();
    if (existed) SetFileAttributesW(target.c_str(), attributes);
    SetLastError(err);
    fail("cannot replace");
  }
  disarm_removal(temp_);
  if (existed && (attributes & kKeptAttributes) != FILE_ATTRIBUTE_ARCHIVE) {
    SetFileAttributesW(target.c_str(), attributes & kKeptAttributes);
  }
  if (committed_on_interrupt_ == OnInterrupt::kRemove) arm_removal(target_);
  committed_ = true;
}

void replace_file(const std::string& target, std::string_view bytes) {
  FileReplacer out(target);
  out.write(bytes);
  out.commit();
}

// Keeps the earlier file at target under a second name beside it; empty when there is none.
// A hard link leaves the target in place meanwhile; where the file system has none (FAT), the
// file itself moves aside until its replacement comes. Throws FileError.
std::string keep_aside(const std::string& target) {
  const std::wstring wide = windows::wide_path(target);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return "";
    throw FileError(target, reason("cannot replace", err));
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    throw FileError(target, "cannot replace: not a regular file");
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = temp_name(target, kAsideSuffix);
    const std::wstring aside = windows::wide_path(name);
    if (CreateHardLinkW(aside.c_str(), wide.c_str(), nullptr)) return name;
    const DWORD err = GetLastError();
    if (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS) continue;
    if (MoveFileExW(wide.c_str(), aside.c_str(), 0)) return name;
    throw FileError(target, reason("cannot keep the earlier file aside"));
  }
  throw FileError(target, "cannot keep the earlier file aside: no free name");
}

// The volume and index that name a file whatever its name; false when it cannot be opened.
bool identity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
  windows::Handle h(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return h.valid() && GetFileInformationByHandle(h.get(), &info);
}

// Gives target back its earlier file (aside; none when empty); false when that fails.
bool put_back(const std::string& target, const std::string& aside) {
  const std::wstring wide = windows::wide_path(target);
  if (aside.empty()) {
    return DeleteFileW(wide.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
  }
  const std::wstring kept = windows::wide_path(aside);
  BY_HANDLE_FILE_INFORMATION in_place{}, earlier{};
  if (identity(wide, in_place) && identity(kept, earlier) &&
      in_place.dwVolumeSerialNumber == earlier.dwVolumeSerialNumber &&
      in_place.nFileIndexHigh == earlier.nFileIndexHigh &&
      in_place.nFileIndexLow == earlier.nFileIndexLow) {
    return DeleteFileW(kept.c_str());  // never replaced: only the second link goes
  }
  return MoveFileExW(kept.c_str(), wide.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void drop_aside(const std::string& aside) { DeleteFileW(windows::wide_path(aside).c_str()); }

}  // namespace scenario

#include <cwctype>

#include "format/directory_lock.h"
#include "format/file_error.h"
#include "format/windows_support.h"

namespace scenario {
namespace {

// The lock is a named mutex of the directory's full path, lower-cased (names are
// case-insensitive here): waiting, held across processes, and given up by the system when its
// holder ends, even by a crash; no lock file is left in the directory.
std::wstring lock_name(const std::string& directory) {
  const std::wstring dir = windows::wide_path(directory);
  windows::Handle h(CreateFileW(dir.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.valid()) {
    throw FileError(directory, "cannot open: " + windows::system_message(GetLastError()));
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h.get(), &info)) {
    throw FileError(directory, "cannot lock: " + windows::system_message(GetLastError()));
  }
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    throw FileError(directory, "cannot open: not a directory");
  }
  // The volume and the file's index name the directory whatever path reached it (a drive
  // letter, a UNC path, a link).
  wchar_t name[96];
  swprintf(name, sizeof name / sizeof name[0], L"Local\\scenario-directory-%08lx-%08lx%08lx",
           static_cast<unsigned long>(info.dwVolumeSerialNumber),
           static_cast<unsigned long>(info.nFileIndexHigh),
           static_cast<unsigned long>(info.nFileIndexLow));
  return name;
}

}  // namespace

DirectoryLock::DirectoryLock(const std::string& directory) {
  const std::wstring name = lock_name(directory);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) {
    throw FileError(directory, "cannot lock: " + windows::system_message(GetLastError()));
  }
  // WAIT_ABANDONED: the last holder ended without letting go; its run is over, so the lock is
  // ours.
  const DWORD got = WaitForSingleObject(mutex, INFINITE);
  if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) {
    const DWORD err = GetLastError();
    CloseHandle(mutex);
    throw FileError(directory, "cannot lock: " + windows::system_message(err));
  }
  handle_ = reinterpret_cast<intptr_t>(mutex);
}

DirectoryLock::~DirectoryLock() {
  HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

}  // namespace scenario

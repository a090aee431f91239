// An exclusive lock on a directory for the whole of a run that writes there: a second run into
// the same directory waits until the first has finished, so that neither deletes the other's
// sources nor leaves a set of compiled files mixed from both.
#pragma once

#include <cstdint>
#include <string>

namespace scenario {

class DirectoryLock {
 public:
  // Waits for the lock. Throws FileError naming the directory when it cannot be opened or locked.
  explicit DirectoryLock(const std::string& directory);
  ~DirectoryLock();  // releases it
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

 private:
  // The locked directory's descriptor, or the Windows lock's handle.
  intptr_t handle_ = -1;
};

}  // namespace scenario

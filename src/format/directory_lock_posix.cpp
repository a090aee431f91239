#include "format/directory_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "format/file_error.h"

namespace scenario {

DirectoryLock::DirectoryLock(const std::string& directory) {
  // The lock is on the directory itself, so that no lock file is left beside the outputs.
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw FileError(directory, std::string("cannot open: ") + std::strerror(errno));
  while (flock(fd, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    const int err = errno;
    close(fd);
    throw FileError(directory, std::string("cannot lock: ") + std::strerror(err));
  }
  handle_ = fd;
}

DirectoryLock::~DirectoryLock() {
  // Closing the only descriptor of the open directory releases its lock.
  close(static_cast<int>(handle_));
}

}  // namespace scenario

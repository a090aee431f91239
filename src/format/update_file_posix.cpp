#include "format/update_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "format/file_error.h"

namespace scenario {

size_t FileUpdater::read_at(intptr_t file, uint8_t* into, size_t size, uint64_t offset,
                            const std::string& path) {
  const int fd = static_cast<int>(file);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = pread(fd, into + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(path, std::string("cannot read: ") + std::strerror(errno));
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

FileUpdater::FileUpdater(std::string target)
    : target_(std::move(target)), buffer_(new uint8_t[kBufferSize]) {
  // O_NOFOLLOW: a link is replaced by the file, as FileReplacer does, never compared through.
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  const int fd = open(target_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    replacer_.emplace(target_);
    return;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    replacer_.emplace(target_);
    return;
  }
  old_fd_ = fd;
  old_size_ = static_cast<uint64_t>(st.st_size);
  old_bytes_.reset(new uint8_t[kBufferSize]);
}

FileUpdater::~FileUpdater() { close_old(); }

void FileUpdater::close_old() {
  if (old_fd_ >= 0) close(static_cast<int>(old_fd_));
  old_fd_ = -1;
}

}  // namespace scenario

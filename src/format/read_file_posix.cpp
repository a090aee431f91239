#include "format/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "format/file_error.h"

namespace scenario {
namespace {

// What a path that is not a regular file names, for the message.
const char* kind_of(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a plain file";
}

// Closes the descriptor on every way out.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

std::string too_long(uintmax_t size, uintmax_t max) {
  return std::to_string(size) + " bytes, more than the " + std::to_string(max) +
         " that compile writes at most";
}

}  // namespace

std::string read_whole_file(const std::string& path, uintmax_t max_bytes) {
  // Opened without blocking, so that a FIFO with no writer cannot hold the open; its kind is
  // then told from the descriptor itself, which no rename between test and open can change.
  errno = 0;
  const Descriptor d{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  if (d.fd < 0) {
    if (errno == ENXIO) throw FileError(path, "is a FIFO or socket, not a regular file");
    throw FileError(path, std::string("cannot open: ") + std::strerror(errno));
  }
  struct stat st {};
  if (::fstat(d.fd, &st) != 0) {
    throw FileError(path, std::string("cannot read: ") + std::strerror(errno));
  }
  if (S_ISDIR(st.st_mode)) throw FileError(path, "is a directory, not a compiled file");
  if (!S_ISREG(st.st_mode)) {
    throw FileError(path, std::string("is ") + kind_of(st.st_mode) + ", not a regular file");
  }
  const auto size = static_cast<uintmax_t>(st.st_size);
  if (size > max_bytes) throw FileError(path, too_long(size, max_bytes));
  // One read of the file's size where it has one: a stream copy of a 20 MB curve file cost
  // more than decoding it. The loop goes on to the end, in case the file grew meanwhile, but
  // never past the limit.
  std::string bytes(static_cast<size_t>(size), '\0');
  size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      if (used > max_bytes) throw FileError(path, too_long(used, max_bytes));
      bytes.resize(used + 65536);
    }
    const ssize_t n = ::read(d.fd, bytes.data() + used, bytes.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(path, std::string("cannot read: ") + std::strerror(errno));
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  if (used > max_bytes) throw FileError(path, too_long(used, max_bytes));
  bytes.resize(used);
  return bytes;
}

}  // namespace scenario

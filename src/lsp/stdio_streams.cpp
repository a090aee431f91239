#include "lsp/stdio_streams.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace scenario::lsp {

size_t FdSource::read(char* data, size_t size) {
  while (true) {
    const ssize_t n = ::read(fd_, data, size);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno != EINTR) return 0;  // an unreadable input ends it, as its end does
  }
}

bool FdSource::ready() {
  pollfd p{fd_, POLLIN, 0};
  while (true) {
    const int n = ::poll(&p, 1, 0);
    if (n >= 0) return n > 0;
    if (errno != EINTR) return true;  // let the read tell what is wrong
  }
}

bool FdSink::write(std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd_, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace scenario::lsp

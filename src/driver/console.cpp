#include "driver/console.h"

#include <unistd.h>

#include <cerrno>

namespace scenario {

void write_console(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    text.remove_prefix(static_cast<size_t>(n));
  }
}

}  // namespace scenario

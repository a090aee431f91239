#include "format/console_output.h"

#include <unistd.h>

#include <cerrno>

namespace scenario {

void write_console(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      return;  // nothing more can be written there
    }
    text.remove_prefix(static_cast<size_t>(n));
  }
}

void route_standard_streams() {
  // A terminal here takes the bytes as they are.
}

}  // namespace scenario

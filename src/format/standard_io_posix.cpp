#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "format/standard_io.h"

namespace scenario {

void binary_standard_streams() {
  // No translation to undo here.
}

size_t read_standard_input(char* data, size_t size) {
  while (true) {
    const ssize_t n = ::read(STDIN_FILENO, data, size);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno != EINTR) return 0;  // an unreadable input ends it, as its end does
  }
}

bool standard_input_ready() {
  pollfd p{STDIN_FILENO, POLLIN, 0};
  while (true) {
    const int n = ::poll(&p, 1, 0);
    if (n >= 0) return n > 0;
    if (errno != EINTR) return true;  // let the read tell what is wrong
  }
}

bool write_standard_output(std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(STDOUT_FILENO, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace scenario

#include "format/write_signals.h"

#include <csignal>

namespace scenario {

void ignore_write_signals() {
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace scenario

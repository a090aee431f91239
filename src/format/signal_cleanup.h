// Removal of this run's unfinished files when SIGINT, SIGTERM or SIGHUP ends it: the temporary
// file being written and, for the one-scenario build, the sources it wrote and has not yet read
// back. The paths are kept in fixed storage so that the handler needs nothing but unlink and
// _exit; a path is armed (removed on a signal) from the moment its file exists until it is
// renamed away, deleted or kept on purpose.
#pragma once

#include <csignal>
#include <string>

namespace scenario {

// Installs the handler for SIGINT, SIGTERM and SIGHUP: it removes every armed path and ends the
// process with 128 + the signal's number (130, 143, 129), as a shell reports such an end.
void install_interrupt_cleanup();

// Arms path; a path already armed stays armed once. Without a free slot (more files in flight
// than any writer here keeps) the path is not armed and only the signal's cleanup misses it.
void arm_removal(const std::string& path);
// Disarms path, when armed.
void disarm_removal(const std::string& path);

// Blocks the three signals for its lifetime (in this thread), so that a file operation and the
// change of what is armed happen as one step: the handler sees both or neither.
class InterruptsDeferred {
 public:
  InterruptsDeferred();
  ~InterruptsDeferred();
  InterruptsDeferred(const InterruptsDeferred&) = delete;
  InterruptsDeferred& operator=(const InterruptsDeferred&) = delete;

 private:
  sigset_t previous_;
};

}  // namespace scenario

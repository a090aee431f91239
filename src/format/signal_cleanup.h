// Removal of this run's unfinished files when SIGINT, SIGTERM or SIGHUP ends it (on Windows,
// Ctrl-C, Ctrl-Break or the console's closing, answered as SIGINT): the temporary file being
// written and, for the one-scenario build, the sources it wrote and has not yet read back. The
// paths are kept in fixed storage so that the handler needs nothing but unlink and _exit; a path is
// armed (removed on a signal) from the moment its file exists until it is renamed away, deleted or
// kept on purpose.
#pragma once

#include <cstddef>
#include <string>

namespace scenario {

// Installs the handler for SIGINT, SIGTERM and SIGHUP: it removes every armed path and ends the
// process with 128 + the signal's number (130, 143, 129), as a shell reports such an end. On
// Windows the console's Ctrl-C, Ctrl-Break and close events end it so, with 130.
void install_interrupt_cleanup();

// Arms path; a path already armed stays armed once. Without a free slot (more files in flight
// than any writer here keeps) the path is not armed and only the signal's cleanup misses it.
void arm_removal(const std::string& path);
// Disarms path, when armed.
void disarm_removal(const std::string& path);

// Blocks the three signals for its lifetime (in this thread), so that a file operation and the
// change of what is armed happen as one step: the handler sees both or neither. (On Windows the
// handler runs in a thread of its own, and waits for the step to end.)
class InterruptsDeferred {
 public:
  InterruptsDeferred();
  ~InterruptsDeferred();
  InterruptsDeferred(const InterruptsDeferred&) = delete;
  InterruptsDeferred& operator=(const InterruptsDeferred&) = delete;

 private:
  // The signal mask it puts back (a sigset_t); unused on Windows.
  alignas(8) unsigned char previous_[128];
};

}  // namespace scenario

// Test helper: runs the real executables in child processes, optionally under ptrace, so that
// tests can see exit statuses and crashes and can inject faults at a chosen system call. On
// Windows the children are started with CreateProcess; there is no tracing, no file size limit
// and no signal, and the calls that need them say so (run_traced gives nullopt).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::testing {

// How a child ended and what it printed.
struct ChildResult {
  int exit_code = -1;  // -1 when a signal ended it
  int signal = 0;
  long max_rss_kib = 0;  // the child's peak resident memory (Child::wait and run_child)
  std::string out;
  std::string err;

  // "exit 3" or "killed by signal 11", then standard error: for test messages.
  std::string describe() const;
  // Standard error cut into lines (without their line ends).
  std::vector<std::string> err_lines() const;
};

struct ChildOptions {
  std::string cwd;  // empty: the test's own
  // RLIMIT_FSIZE from the start.
  std::optional<uint64_t> file_size_limit;
  // SIGXFSZ ignored from the start, as a caller of the program may have set it.
  bool ignore_sigxfsz = false;
  // Standard output is a pipe whose reading end is closed.
  bool stdout_broken_pipe = false;
  // SIGALRM after this many seconds, so that a child that hangs ends the test instead.
  std::optional<unsigned> alarm_seconds;
};

// One child running argv[0] with argv; standard input is /dev/null, the output goes to files.
class Child {
 public:
  explicit Child(const std::vector<std::string>& argv, const ChildOptions& options = {});
  ~Child();  // kills and reaps a child that was not waited for
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  ChildResult wait();

 private:
  pid_t pid_ = -1;
  intptr_t process_ = 0;          // the process's handle, on Windows
  unsigned long timeout_ms_ = 0;  // its alarm, on Windows
  std::string out_path_, err_path_;
};

// Runs argv to its end.
ChildResult run_child(const std::vector<std::string>& argv, const ChildOptions& options = {});

// A system call that a traced child is about to make.
struct SyscallEntry {
  pid_t pid = -1;
  int64_t number = -1;
  uint64_t args[6] = {};

  // A NUL-terminated string of the child's memory at args[i].
  std::string string_arg(int i) const;
  // open, openat or creat with O_CREAT, of a path that contains marker.
  bool creates(std::string_view marker) const;
  bool renames() const;
};

// Sets a child's RLIMIT_FSIZE (soft and hard) while it runs.
void set_file_size_limit(pid_t pid, uint64_t bytes);

// Runs argv under ptrace and calls on_entry at the entry of each of its system calls until it
// returns true; from then on the child runs free. nullopt when this system forbids tracing.
std::optional<ChildResult> run_traced(const std::vector<std::string>& argv,
                                      const ChildOptions& options,
                                      const std::function<bool(const SyscallEntry&)>& on_entry);

}  // namespace scenario::testing

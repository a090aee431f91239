#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

std::string temp_output_file() {
  std::string pattern = (std::filesystem::temp_directory_path() / "scenario-child-XXXXXX").string();
  const int fd = mkstemp(pattern.data());
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  close(fd);
  return pattern;
}

// Everything after fork is async-signal-safe: the argv is built before.
[[noreturn]] void exec_child(const std::vector<char*>& argv, const ChildOptions& o,
                             const std::string& out, const std::string& err, bool traced) {
  const int in_fd = open("/dev/null", O_RDONLY);
  const int out_fd = open(out.c_str(), O_WRONLY | O_TRUNC);
  const int err_fd = open(err.c_str(), O_WRONLY | O_TRUNC);
  if (in_fd < 0 || out_fd < 0 || err_fd < 0) _exit(125);
  dup2(in_fd, 0);
  dup2(out_fd, 1);
  dup2(err_fd, 2);
  if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0) _exit(125);
  if (o.stdout_broken_pipe) {
    int p[2];
    if (pipe(p) != 0) _exit(125);
    close(p[0]);  // nobody reads: a write to p[1] raises SIGPIPE
    dup2(p[1], 1);
    close(p[1]);
  }
  if (o.ignore_sigxfsz) signal(SIGXFSZ, SIG_IGN);
  if (o.file_size_limit) {
    const rlimit r{static_cast<rlim_t>(*o.file_size_limit),
                   static_cast<rlim_t>(*o.file_size_limit)};
    if (setrlimit(RLIMIT_FSIZE, &r) != 0) _exit(125);
  }
  if (o.alarm_seconds) alarm(*o.alarm_seconds);  // kept across exec: a hung child dies
  if (traced && ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(126);
  execv(argv[0], argv.data());
  _exit(127);
}

std::vector<char*> c_argv(const std::vector<std::string>& argv) {
  std::vector<char*> v;
  for (const std::string& a : argv) v.push_back(const_cast<char*>(a.c_str()));
  v.push_back(nullptr);
  return v;
}

ChildResult finish(int status, const std::string& out, const std::string& err) {
  ChildResult r;
  if (WIFEXITED(status)) r.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
  r.out = read_file(out);
  r.err = read_file(err);
  unlink(out.c_str());
  unlink(err.c_str());
  return r;
}

int wait_for(pid_t pid, long* max_rss_kib = nullptr) {
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error("wait4 failed");
  }
  if (max_rss_kib) *max_rss_kib = usage.ru_maxrss;
  return status;
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, const ChildOptions& options)
    : out_path_(temp_output_file()), err_path_(temp_output_file()) {
  const std::vector<char*> args = c_argv(argv);
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) exec_child(args, options, out_path_, err_path_, false);
}

Child::~Child() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    wait_for(pid_);
    unlink(out_path_.c_str());
    unlink(err_path_.c_str());
  }
}

ChildResult Child::wait() {
  long rss = 0;
  const int status = wait_for(pid_, &rss);
  pid_ = -1;
  ChildResult r = finish(status, out_path_, err_path_);
  r.max_rss_kib = rss;
  return r;
}

ChildResult run_child(const std::vector<std::string>& argv, const ChildOptions& options) {
  return Child(argv, options).wait();
}

std::string SyscallEntry::string_arg(int i) const {
  std::string s;
  const uint64_t addr = args[i];
  // Paths are short; stop at a NUL or after 4096 bytes.
  for (uint64_t at = addr; s.size() < 4096; at += sizeof(long)) {
    errno = 0;
    const long word = ptrace(PTRACE_PEEKDATA, pid, reinterpret_cast<void*>(at), nullptr);
    if (errno != 0) break;
    char bytes[sizeof(long)];
    std::memcpy(bytes, &word, sizeof word);
    for (char c : bytes) {
      if (c == '\0') return s;
      s.push_back(c);
    }
  }
  return s;
}

bool SyscallEntry::creates(std::string_view marker) const {
  uint64_t flags = 0;
  int path = 0;
  if (number == SYS_openat) {
    path = 1;
    flags = args[2];
#ifdef SYS_open
  } else if (number == SYS_open) {
    flags = args[1];
#endif
#ifdef SYS_creat
  } else if (number == SYS_creat) {
    flags = O_CREAT;
#endif
  } else {
    return false;
  }
  return (flags & O_CREAT) != 0 && string_arg(path).find(marker) != std::string::npos;
}

bool SyscallEntry::renames() const {
#ifdef SYS_rename
  if (number == SYS_rename) return true;
#endif
#ifdef SYS_renameat2
  if (number == SYS_renameat2) return true;
#endif
  return number == SYS_renameat;
}

void set_file_size_limit(pid_t pid, uint64_t bytes) {
  const rlimit r{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
  if (prlimit(pid, RLIMIT_FSIZE, &r, nullptr) != 0) throw std::runtime_error("prlimit failed");
}

std::optional<ChildResult> run_traced(const std::vector<std::string>& argv,
                                      const ChildOptions& options,
                                      const std::function<bool(const SyscallEntry&)>& on_entry) {
  const std::string out = temp_output_file();
  const std::string err = temp_output_file();
  const std::vector<char*> args = c_argv(argv);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) exec_child(args, options, out, err, true);

  // The first stop is the SIGTRAP after the exec.
  int status = wait_for(pid);
  if (!WIFSTOPPED(status)) {
    unlink(out.c_str());
    unlink(err.c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 126) return std::nullopt;
    throw std::runtime_error("the traced child did not start");
  }
  if (ptrace(PTRACE_SETOPTIONS, pid, nullptr,
             PTRACE_O_TRACESYSGOOD | PTRACE_O_TRACEEXEC | PTRACE_O_EXITKILL) != 0) {
    kill(pid, SIGKILL);
    wait_for(pid);
    unlink(out.c_str());
    unlink(err.c_str());
    return std::nullopt;
  }
  int deliver = 0;
  while (true) {
    if (ptrace(PTRACE_SYSCALL, pid, nullptr, reinterpret_cast<void*>(intptr_t{deliver})) != 0) {
      throw std::runtime_error("PTRACE_SYSCALL failed");
    }
    deliver = 0;
    status = wait_for(pid);
    if (WIFEXITED(status) || WIFSIGNALED(status)) return finish(status, out, err);
    const int sig = WSTOPSIG(status);
    if (sig == (SIGTRAP | 0x80)) {
      __ptrace_syscall_info info{};
      if (ptrace(PTRACE_GET_SYSCALL_INFO, pid, reinterpret_cast<void*>(sizeof info), &info) <= 0) {
        continue;
      }
      if (info.op != PTRACE_SYSCALL_INFO_ENTRY) continue;
      SyscallEntry e;
      e.pid = pid;
      e.number = static_cast<int64_t>(info.entry.nr);
      for (int i = 0; i < 6; ++i) e.args[i] = info.entry.args[i];
      if (on_entry(e)) break;
    } else if (sig != SIGTRAP) {
      deliver = sig;  // a real signal: hand it on
    }
  }
  ptrace(PTRACE_DETACH, pid, nullptr, nullptr);
  return finish(wait_for(pid), out, err);
}

}  // namespace scenario::testing

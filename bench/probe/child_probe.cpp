// scenario-bench-probe: runs a command and prints "SECONDS MAX_RSS_KIB EXIT_STATUS" for it.
// Linux carries a process's peak resident memory across exec, so a child started straight from
// a large benchmark process reports that process's peak; started from this small one, the
// command's own peak shows. Output of the command goes to /dev/null.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

double now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: scenario-bench-probe PROGRAM [ARG...]\n");
    return 2;
  }
  const double start = now();
  const pid_t pid = fork();
  if (pid < 0) return 1;
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execv(argv[1], argv + 1);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) return 1;
  }
  const double seconds = now() - start;
  std::printf("%.9f %ld %d\n", seconds, usage.ru_maxrss,
              WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return 0;
}

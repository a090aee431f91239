#include "bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "emitter/emitters.h"
#include "format/file_names.h"
#include "support/scenario_generator.h"

extern char** environ;

namespace scenario::bench {

std::unique_ptr<BuildState> state_in(const std::string& dir, const std::string& name,
                                     const std::string& train) {
  auto s = std::make_unique<BuildState>();
  s->scenario_name = name;
  s->train_number = train;
  s->directory = dir;
  return s;
}

std::unique_ptr<BuildState> builtin_sources_in(const std::string& dir) {
  auto s = state_in(dir, "Lindeva_Querno", "40716");
  emit_all(*s);
  return s;
}

std::unique_ptr<BuildState> generated_sources_in(const std::string& dir, int32_t km) {
  auto s = state_in(dir, "G", "1");
  const testing::GeneratedSources g = testing::generate_scenario(km);
  write_file(s->path(line_source_name(s->identity())), g.line);
  write_file(s->path(train_source_name(s->identity())), g.train);
  return s;
}

ChildRun run_child(const std::string& program, const std::vector<std::string>& args) {
  // Through the probe: a child spawned from this process would report this process's peak.
  const std::string probe = SCENARIO_BENCH_PROBE;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(probe.c_str()));
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, out[1]);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, probe.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (rc != 0) {
    close(out[0]);
    throw std::runtime_error("cannot start " + probe + ": " + std::strerror(rc));
  }
  std::string report;
  char buf[256];
  for (ssize_t n; (n = read(out[0], buf, sizeof buf)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    report.append(buf, static_cast<size_t>(n));
  }
  close(out[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  ChildRun run;
  std::istringstream in(report);
  if (!(in >> run.seconds >> run.max_rss_kib >> run.exit_status)) {
    throw std::runtime_error("the probe gave no report for " + program);
  }
  return run;
}

}  // namespace scenario::bench

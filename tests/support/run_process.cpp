#include "support/run_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "support/temp_dir.h"

namespace scenario::testing {

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::string& cwd) {
  TempDir capture;
  const std::string out_path = capture.file("out");
  const std::string err_path = capture.file("err");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, 1);
    dup2(err, 2);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ProcessResult r;
  if (WIFEXITED(status)) r.exit_status = WEXITSTATUS(status);
  r.out = read_file(out_path);
  r.err = read_file(err_path);
  return r;
}

void copy_executable(const std::string& from, const std::string& to) {
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

}  // namespace scenario::testing

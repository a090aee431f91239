// Test helper: runs an executable in a child process and captures what it prints.
#pragma once

#include <string>
#include <vector>

namespace scenario::testing {

struct ProcessResult {
  int exit_status = -1;  // -1 when the child did not exit normally
  std::string out;
  std::string err;
};

// Runs program with args in directory cwd (empty: the current one) and waits for it.
ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::string& cwd = "");

// Copies a file, keeping its permission bits (for running a copied executable).
void copy_executable(const std::string& from, const std::string& to);

}  // namespace scenario::testing

#include "support/child_process.h"

namespace scenario::testing {

std::string ChildResult::describe() const {
  std::string s = signal != 0 ? "killed by signal " + std::to_string(signal)
                              : "exit " + std::to_string(exit_code);
  return s + ", stderr: [" + err + "]";
}

std::vector<std::string> ChildResult::err_lines() const {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < err.size()) {
    size_t end = err.find('\n', start);
    if (end == std::string::npos) end = err.size();
    lines.push_back(err.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace scenario::testing

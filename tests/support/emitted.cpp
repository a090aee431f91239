#include "support/emitted.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace scenario::testing {

BuildState builtin_state(const std::string& dir) {
  BuildState s;
  s.scenario_name = "Lindeva_Querno";
  s.train_number = "40716";
  s.directory = dir;
  return s;
}

std::vector<std::string> emitted_lines(Emitter emitter, const std::string& file_name) {
  TempDir dir;
  BuildState state = builtin_state(dir.path());
  emitter(state);
  const std::string bytes = read_file(dir.file(file_name));
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t crlf = bytes.find("\r\n", start);
    if (crlf == std::string::npos) {
      ADD_FAILURE() << file_name << ": last line not ended by CR LF";
      break;
    }
    std::string line = bytes.substr(start, crlf - start);
    if (line.find_first_of("\r\n") != std::string::npos) {
      ADD_FAILURE() << file_name << ": stray CR or LF in line " << lines.size();
    }
    lines.push_back(std::move(line));
    start = crlf + 2;
  }
  return lines;
}

}  // namespace scenario::testing

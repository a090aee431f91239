#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "format/run_program.h"

namespace scenario {

std::string replace_process(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::string name = program;
  argv.push_back(name.data());
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(program.c_str(), argv.data());
  return std::strerror(errno);
}

}  // namespace scenario

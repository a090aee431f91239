#include "driver/driver.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>

#include "compiler/file_error.h"
#include "emitter/emitters.h"
#include "model/build_state.h"

namespace scenario {

std::string program_directory() {
  std::vector<char> buf(4096);
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n < 0) throw FileError("/proc/self/exe", std::strerror(errno));
  std::string exe(buf.data(), static_cast<size_t>(n));
  const size_t slash = exe.rfind('/');
  return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

int run_scenario_build() {
  try {
    BuildState state;
    state.scenario_name = "Lindeva_Querno";
    state.train_number = "40716";
    state.directory = program_directory();
    std::cout << "Attendere" << std::endl;
    emit_all(state);
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "scenario-build: " << e.what() << std::endl;
    return 1;
  }
}

}  // namespace scenario

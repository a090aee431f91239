#include "driver/driver.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

#include "compiler/errore.h"
#include "compiler/file_error.h"
#include "compiler/route_compiler.h"
#include "compiler/status_report.h"
#include "emitter/emitters.h"
#include "model/build_state.h"

namespace scenario {

std::string program_directory() {
  std::vector<char> buf(4096);
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n < 0) throw FileError("/proc/self/exe", std::strerror(errno));
  std::string exe(buf.data(), static_cast<size_t>(n));
  const size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

int build_scenario_in(const std::string& directory) {
  // The build state lives on the heap: the track and curve tables are large.
  auto state = std::make_unique<BuildState>();
  state->scenario_name = "Lindeva_Querno";
  state->train_number = "40716";
  state->directory = directory;
  // The console form of the waiting window: shown before the work begins.
  std::cout << "Attendere" << std::endl;
  emit_all(*state);
  const CompileResult result = memorizza_percorso(*state, 1);
  if (state->read_status != 0) {
    std::cerr << "scenario-build: " << format_status_line(*state, result.failure_reason)
              << std::endl;
    return 3;
  }
  return 0;
}

int run_scenario_build() {
  try {
    return build_scenario_in(program_directory());
  } catch (const BuildAborted&) {
    return 1;  // errore has already said why
  } catch (const std::exception& e) {
    std::cerr << "scenario-build: " << e.what() << std::endl;
    return 1;
  }
}

}  // namespace scenario

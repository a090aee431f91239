#include "tool/emit_command.h"

#include <filesystem>
#include <iostream>

#include "emitter/emitters.h"

namespace scenario::tool {

int emit_command(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
    std::cerr << "usage: scenario-tool emit OUTDIR" << std::endl;
    return 2;
  }
  try {
    std::error_code ec;
    std::filesystem::create_directories(args[0], ec);
    if (ec) throw std::runtime_error(args[0] + ": cannot create: " + ec.message());
    BuildState state;
    state.scenario_name = "Lindeva_Querno";
    state.train_number = "40716";
    state.directory = args[0];
    emit_all(state);
  } catch (const std::exception& e) {
    std::cerr << "scenario-tool emit: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}

}  // namespace scenario::tool

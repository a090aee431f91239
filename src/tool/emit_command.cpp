#include "tool/emit_command.h"

#include <filesystem>
#include <iostream>

#include "emitter/emitters.h"
#include "format/native_path.h"

namespace scenario::tool {

CommandLine emit_command_line() {
  CommandLine c("emit", "write the built-in scenario's text files into OUTDIR");
  c.operand("OUTDIR", "the folder to write into (made when missing)");
  return c;
}

int emit_command(const std::vector<std::string>& args) {
  CommandLine c = emit_command_line();
  if (const auto done = c.parse(args, std::cout, std::cerr)) return *done;
  const std::string outdir = *c.value("OUTDIR");
  if (outdir.empty()) return c.refuse("OUTDIR is empty", std::cerr);
  try {
    std::error_code ec;
    std::filesystem::create_directories(native_path(outdir), ec);
    if (ec) throw std::runtime_error(outdir + ": cannot create: " + ec.message());
    BuildState state;
    state.scenario_name = "Lindeva_Querno";
    state.train_number = "40716";
    state.directory = outdir;
    emit_all(state);
  } catch (const std::exception& e) {
    std::cerr << "scenario-tool emit: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}

}  // namespace scenario::tool

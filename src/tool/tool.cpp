#include "tool/tool.h"

#include <iostream>
#include <string>

namespace scenario::tool {
namespace {

constexpr const char* kUsage =
    "usage: scenario-tool <command> [options]\n"
    "\n"
    "commands:\n"
    "  --help       show this text\n"
    "  --version    show the version\n";

}  // namespace

int run(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string command = argv[1];
  if (command == "--help" || command == "-h") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "--version") {
    std::cout << "scenario-tool " << SCENARIO_VERSION << "\n";
    return 0;
  }
  std::cerr << "scenario-tool: unknown command '" << command << "'\n" << kUsage;
  return 2;
}

}  // namespace scenario::tool

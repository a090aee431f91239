#include "format/command_arguments.h"

namespace scenario {

std::vector<std::string> command_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

}  // namespace scenario

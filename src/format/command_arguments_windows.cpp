#include "format/command_arguments.h"
#include "format/windows_support.h"

// After windows.h, which it needs.
#include <shellapi.h>

namespace scenario {

std::vector<std::string> command_arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(windows::utf8(wide[i]));
  LocalFree(wide);
  return args;
}

}  // namespace scenario

#include "tool/tool.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "tool/check_command.h"
#include "tool/compile_command.h"
#include "tool/decompile_command.h"
#include "tool/documents_command.h"
#include "tool/emit_command.h"
#include "tool/explain_command.h"
#include "tool/fmt_command.h"
#include "tool/import_command.h"
#include "tool/inspect_command.h"
#include "tool/lsp_command.h"
#include "tool/plot_command.h"
#include "tool/timing_command.h"
#include "tool/timing_options.h"

namespace scenario::tool {
namespace {

using Lines = CommandLine (*)();

// Every command: its declared command line (for the overview) and how it runs.
struct Command {
  const char* name;
  Lines lines;
  int (*run)(const std::vector<std::string>& args);
};

const Command kCommands[] = {
    {"compile", compile_command_line, compile_command},
    {"check", check_command_line, check_command},
    {"decompile", decompile_command_line, [](const auto& a) { return decompile_command(a); }},
    {"documents", documents_command_line, [](const auto& a) { return documents_command(a); }},
    {"emit", emit_command_line, emit_command},
    {"explain", explain_command_line, explain_command},
    {"fmt", fmt_command_line, fmt_command},
    {"import", import_command_line, import_command},
    {"inspect", inspect_command_line, [](const auto& a) { return inspect_command(a); }},
    {"lsp", lsp_command_line, lsp_command},
    {"plot", plot_command_line, [](const auto& a) { return plot_command(a); }},
    {"timing", timing_command_line, [](const auto& a) { return timing_command(a); }},
};

// The overview: each command's usage line and summary, from its own declaration.
std::string usage_text() {
  std::string s = "usage: scenario-tool <command> [options]\n\ncommands:\n";
  for (const Command& c : kCommands) {
    const CommandLine lines = c.lines();
    std::string synopsis = lines.synopsis();
    s += "  " + synopsis + "\n";
    // The summary's words under the usage line, filled to the width of a terminal.
    std::string line = "               ";
    std::string_view rest = lines.summary();
    while (!rest.empty()) {
      const size_t end = std::min(rest.find(' '), rest.size());
      const std::string_view word = rest.substr(0, end);
      if (line.size() > 15 && line.size() + 1 + word.size() > 92) {
        s += line + "\n";
        line = "               ";
      }
      line += (line.size() > 15 ? " " : "") + std::string(word);
      rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    s += line + "\n";
  }
  return s +
         "  --help       show this text (scenario-tool COMMAND --help: the command's options)\n"
         "  --version    show the version\n"
         "\n"
         "Options take their value as --opt VALUE or --opt=VALUE.\n"
         "exit status: 0 clean, 1 error, 2 usage error, 3 the sources have a fault (timing: a\n"
         "section of the timetable cannot be kept)\n";
}

}  // namespace

int run(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << usage_text();
    return 2;
  }
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << usage_text();
    return 0;
  }
  if (command == "--version") {
    std::cout << "scenario-tool " << SCENARIO_VERSION << "\n";
    return 0;
  }
  for (const Command& c : kCommands) {
    if (command == c.name) return c.run(args);
  }
  std::cerr << "scenario-tool: unknown command '" << command << "'\n" << usage_text();
  return 2;
}

}  // namespace scenario::tool

#include "tool/tool.h"

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
#include "tool/inspect_command.h"
#include "tool/lsp_command.h"
#include "tool/plot_command.h"
#include "tool/timing_command.h"

namespace scenario::tool {
namespace {

constexpr const char* kUsage =
    "usage: scenario-tool <command> [options]\n"
    "\n"
    "commands:\n"
    "  compile [--name NAME] [--train NUMBER] [-o OUTDIR] [--json] [--documents] SRCDIR\n"
    "               compile a scenario's sources into its three compiled files; --documents\n"
    "               also writes the timetable sheet and the slowdown order beside them\n"
    "  check [--name NAME] [--train NUMBER] [--json] [--no-warn=NAME]... [--werror] SRCDIR\n"
    "               list every faulty row of a scenario's sources, writing nothing, and warn\n"
    "               of rows the readers take but most likely not as meant; --no-warn silences\n"
    "               one warning, --werror makes warnings count as faults\n"
    "  decompile [--name NAME] [--train NUMBER] [-o SRCDIR] [--force] DIR\n"
    "               recover the two sources of the compiled files in DIR, checked to compile\n"
    "               back to the same bytes\n"
    "  documents [--name NAME] [--train NUMBER] [-o OUTDIR] [model options] DIR\n"
    "               write the driver's timetable sheet and slowdown order of the scenario in\n"
    "               DIR (compiled files, or sources compiled in memory), times computed\n"
    "  emit OUTDIR  write the built-in scenario's text files into OUTDIR\n"
    "  explain KEYWORD\n"
    "               what a row kind of the sources means, field by field (explain stazione)\n"
    "  fmt [--check] FILE...\n"
    "               rewrite sources into the emitter's column forms; --check lists the files\n"
    "               that would change\n"
    "  inspect [--json] FILE...\n"
    "               show what a compiled .sim, .dat or _linea.dat file holds\n"
    "  lsp          a language server for editors, over standard input and output\n"
    "  plot [--name NAME] [--train NUMBER] -o FILE.svg DIR\n"
    "               draw the compiled scenario in DIR: plan and route profiles as SVG\n"
    "  timing [--name NAME] [--train NUMBER] [--json] [--svg FILE] [model options] DIR\n"
    "               the train's fastest run on its line and the margin of each timed section\n"
    "               (scenario-tool timing --help lists the model options)\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "\n"
    "exit status: 0 clean, 1 error, 2 usage error, 3 the sources have a fault (timing: a\n"
    "section of the timetable cannot be kept)\n";

}  // namespace

int run(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "--version") {
    std::cout << "scenario-tool " << SCENARIO_VERSION << "\n";
    return 0;
  }
  if (command == "compile") return compile_command(args);
  if (command == "decompile") return decompile_command(args);
  if (command == "documents") return documents_command(args);
  if (command == "emit") return emit_command(args);
  if (command == "inspect") return inspect_command(args);
  if (command == "plot") return plot_command(args);
  if (command == "timing") return timing_command(args);
  if (command == "check") return check_command(args);
  if (command == "explain") return explain_command(args);
  if (command == "fmt") return fmt_command(args);
  if (command == "lsp") return lsp_command(args);
  std::cerr << "scenario-tool: unknown command '" << command << "'\n" << kUsage;
  return 2;
}

}  // namespace scenario::tool

// The tool's command lines: one declaration per command gives the parser, the usage line and
// --help; values after a blank or an equals sign; unknown and repeated options refused.
#include "tool/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace scenario::tool {
namespace {

// A command with one of each kind of declaration.
CommandLine sample() {
  CommandLine c("sample", "a command for the tests");
  c.option("--name", "NAME", "a value");
  c.option("-o,--output", "OUTDIR", "a value with a short name");
  c.flag("--json", "a flag");
  c.repeatable("--no-warn", "NAME", "a value again and again");
  c.group("model options (defaults in brackets)", "model options");
  c.option("--mass", "T", "a grouped value");
  c.group("", "");
  c.operand("DIR", "the operand");
  return c;
}

struct Parsed {
  std::optional<int> status;
  std::string out, err;
  CommandLine c = sample();
};

Parsed parse(const std::vector<std::string>& args) {
  Parsed p;
  std::ostringstream out, err;
  p.status = p.c.parse(args, out, err);
  p.out = out.str();
  p.err = err.str();
  return p;
}

TEST(CommandLine, TakesAValueAfterABlankOrAnEqualsSign) {
  const struct {
    std::vector<std::string> args;
    std::string name, output, dir;
  } cases[] = {
      {{"--name", "A", "d"}, "A", "", "d"},
      {{"--name=A", "d"}, "A", "", "d"},
      {{"d", "--name=A=B"}, "A=B", "", "d"},
      {{"--name=", "d"}, "", "", "d"},
      {{"-o", "x", "d"}, "", "x", "d"},
      {{"-ox", "d"}, "", "x", "d"},
      {{"--output=x", "d"}, "", "x", "d"},
      {{"--name", "-5", "d"}, "-5", "", "d"},
      // After "--" a name that starts with a hyphen is the operand.
      {{"--name", "A", "--", "-d"}, "A", "", "-d"},
  };
  for (const auto& c : cases) {
    const Parsed p = parse(c.args);
    SCOPED_TRACE(c.args.front());
    ASSERT_FALSE(p.status) << p.err;
    EXPECT_EQ(p.c.value("--name").value_or(""), c.name);
    EXPECT_EQ(p.c.value("--output").value_or(""), c.output);
    EXPECT_EQ(p.c.value("DIR").value_or(""), c.dir);
  }
  const Parsed p = parse({"--no-warn", "a", "--no-warn=b", "--json", "--mass=3", "d"});
  ASSERT_FALSE(p.status) << p.err;
  EXPECT_EQ(p.c.values("--no-warn"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(p.c.given("--json"));
  EXPECT_EQ(p.c.value("--mass"), "3");
  EXPECT_FALSE(p.c.given("--name"));
}

TEST(CommandLine, RefusesWithOneLineThatSaysWhatThenTheUsage) {
  const std::string usage =
      "usage: scenario-tool sample [--name NAME] [-o OUTDIR] [--json] [--no-warn NAME]... "
      "[model options] DIR\n(scenario-tool sample --help lists the model options)\n";
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"--bogus", "d"}, "unknown option '--bogus'"},
      {{"--bogus=3", "d"}, "unknown option '--bogus'"},
      {{"-x", "d"}, "unknown option '-x'"},
      {{"--name", "A", "--name=B", "d"}, "--name is given more than once"},
      {{"-o", "a", "--output", "b", "d"}, "-o/--output is given more than once"},
      {{"--json", "--json", "d"}, "--json is given more than once"},
      {{"--mass", "1", "--mass", "1", "d"}, "--mass is given more than once"},
      {{"--json=1", "d"}, "--json takes no value"},
      {{"--json=", "d"}, "--json takes no value"},
      {{"d", "--name"}, "--name needs a value"},
      {{}, "DIR is missing"},
      {{"--json"}, "DIR is missing"},
      {{"d", "e"}, "more than one DIR given"},
  };
  for (const auto& c : cases) {
    const Parsed p = parse(c.args);
    SCOPED_TRACE(c.says);
    EXPECT_EQ(p.status, 2);
    EXPECT_EQ(p.err, "scenario-tool sample: " + c.says + "\n" + usage);
    EXPECT_EQ(p.out, "");
  }
}

TEST(CommandLine, HelpListsEveryOptionUnderItsGroupAndWinsOverFaults) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {"-h"}, {"d", "--help"}, {"--bogus", "--help"}}) {
    const Parsed p = parse(args);
    EXPECT_EQ(p.status, 0) << p.err;
    EXPECT_EQ(p.err, "");
    EXPECT_EQ(p.out,
              "usage: scenario-tool sample [--name NAME] [-o OUTDIR] [--json] [--no-warn NAME]... "
              "[model options] DIR\n"
              "\n"
              "a command for the tests\n"
              "\n"
              "operands:\n"
              "  DIR                     the operand\n"
              "\n"
              "options:\n"
              "  -h,--help               show this text\n"
              "  --name NAME             a value\n"
              "  -o,--output OUTDIR      a value with a short name\n"
              "  --json                  a flag\n"
              "  --no-warn NAME (again and again)\n"
              "                          a value again and again\n"
              "\n"
              "model options (defaults in brackets):\n"
              "  --mass T                a grouped value\n");
  }
}

}  // namespace
}  // namespace scenario::tool

namespace scenario::testing {
namespace {

// Every command of the tool, through the executable.
TEST(ToolCommandLines, EveryCommandHasHelpAndRefusesUnknownAndRepeatedOptions) {
  TempDir dir;
  const struct {
    const char* command;
    std::vector<std::string> repeated;  // an option of the command, given twice
  } commands[] = {
      {"compile", {"--json", "--json"}},
      {"check", {"--werror", "--werror"}},
      {"decompile", {"--force", "--force"}},
      {"documents", {"--power=1", "--power", "2"}},
      {"emit", {"--help"}},
      {"explain", {"--markdown", "--markdown"}},
      {"fmt", {"--check", "--check"}},
      {"inspect", {"--json", "--json"}},
      {"lsp", {"--stdio", "--stdio"}},
      {"plot", {"-o", "a.svg", "-o=b.svg"}},
      {"timing", {"--svg=a", "--svg=b"}},
  };
  for (const auto& c : commands) {
    SCOPED_TRACE(c.command);
    const ProcessResult help = run_process(SCENARIO_TOOL_EXE, {c.command, "--help"});
    EXPECT_EQ(help.exit_status, 0) << help.err;
    EXPECT_EQ(help.out.rfind(std::string("usage: scenario-tool ") + c.command, 0), 0u) << help.out;

    const ProcessResult unknown =
        run_process(SCENARIO_TOOL_EXE, {c.command, "--frobnicate=1", dir.path()});
    EXPECT_EQ(unknown.exit_status, 2);
    EXPECT_EQ(
        unknown.err.rfind(
            std::string("scenario-tool ") + c.command + ": unknown option '--frobnicate'\n", 0),
        0u)
        << unknown.err;

    if (c.repeated.size() < 2) continue;
    std::vector<std::string> args = {c.command};
    args.insert(args.end(), c.repeated.begin(), c.repeated.end());
    args.push_back(dir.path());
    const ProcessResult twice = run_process(SCENARIO_TOOL_EXE, args);
    EXPECT_EQ(twice.exit_status, 2);
    EXPECT_NE(twice.err.find("is given more than once\n"), std::string::npos) << twice.err;
  }
  // An empty output path is no path: refused before anything is read or made.
  for (const char* command : {"compile", "documents", "decompile", "plot"}) {
    const ProcessResult r = run_process(SCENARIO_TOOL_EXE, {command, "--output=", dir.path()});
    EXPECT_EQ(r.exit_status, 2) << command;
    EXPECT_EQ(
        r.err.rfind(
            std::string("scenario-tool ") + command + ": -o needs a path, not an empty one\n", 0),
        0u)
        << r.err;
  }
  const ProcessResult overview = run_process(SCENARIO_TOOL_EXE, {"--help"});
  EXPECT_EQ(overview.exit_status, 0);
  for (const auto& c : commands) {
    EXPECT_NE(overview.out.find(std::string("\n  ") + c.command), std::string::npos) << c.command;
  }
}

}  // namespace
}  // namespace scenario::testing

// One command's command line, declared once: its options and operands give the parser, the
// usage line, the --help text and the tool's overview.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

namespace scenario::tool {

class CommandLine {
 public:
  // command as typed after scenario-tool; summary is what it does, for --help and the overview.
  CommandLine(std::string command, std::string summary);
  ~CommandLine();
  CommandLine(CommandLine&&) noexcept;
  CommandLine& operator=(CommandLine&&) noexcept;

  // An option with a value, "--name VALUE" or "--name=VALUE", given at most once. names as
  // "-o,--output"; metavar names the value in the usage line. A required one has no brackets
  // there, and its absence is a usage error.
  CommandLine& option(const std::string& names, const std::string& metavar, const std::string& help,
                      bool required = false);
  // An option with a value that may be given again and again ("--no-warn NAME ...").
  CommandLine& repeatable(const std::string& names, const std::string& metavar,
                          const std::string& help);
  // An option without a value, given at most once.
  CommandLine& flag(const std::string& names, const std::string& help);
  // The operands after the options: exactly one, at most one, or one or more.
  CommandLine& operand(const std::string& name, const std::string& help);
  CommandLine& optional_operand(const std::string& name, const std::string& help);
  CommandLine& operands(const std::string& name, const std::string& help);
  // The options declared from here on are listed under heading in --help, and as one
  // "[usage_label]" in the usage line.
  CommandLine& group(const std::string& heading, const std::string& usage_label);
  // Text printed at the end of --help.
  CommandLine& footer(const std::string& text);

  // Parses args (the arguments after the command). Returns the exit status when the command
  // is done: 0 after --help (printed on out), 2 after a usage error (one line saying what is
  // wrong, then the usage line, on err); nothing when the command is to run.
  std::optional<int> parse(const std::vector<std::string>& args, std::ostream& out,
                           std::ostream& err);

  // After parse: an option's or operand's value (by any of its names; the last given), all its
  // values in order, and whether a flag or option was given.
  std::optional<std::string> value(std::string_view name) const;
  std::vector<std::string> values(std::string_view name) const;
  bool given(std::string_view name) const;

  // "usage: scenario-tool COMMAND [--opt VALUE]... OPERAND".
  std::string usage() const;
  // The usage line without "usage: scenario-tool ", and the summary, for the tool's overview.
  std::string synopsis() const;
  const std::string& summary() const;
  const std::string& command() const { return command_; }
  // The full --help text.
  std::string help() const;
  // Writes "scenario-tool COMMAND: why" and the usage line (and, when the usage line hides a
  // group of options, where --help lists them) on err; returns 2.
  int refuse(const std::string& why, std::ostream& err) const;

 private:
  // What the usage line shows of one declaration, and what parse checks of it.
  struct Declared {
    enum class Kind { kOption, kRepeatable, kFlag, kOperand, kOptionalOperand, kOperands };
    Kind kind;
    std::string name;     // the first of its names
    std::string metavar;  // the value's name in the usage line; empty for flags and operands
    bool required = false;
    std::string group_label;  // the group's usage label; empty outside a group
  };

  CommandLine& declare(Declared::Kind kind, const std::string& name, const std::string& metavar,
                       bool required);

  std::unique_ptr<CLI::App> app_;
  std::vector<Declared> declared_;
  std::string command_, summary_, group_heading_, group_label_;
};

}  // namespace scenario::tool

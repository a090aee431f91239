#include "tool/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "tool/text_wrap.h"

namespace scenario::tool {
namespace {

// The first of "-o,--output".
std::string first_name(const std::string& names) { return names.substr(0, names.find(',')); }

// --help: the usage line and the summary first, then the operands, the option groups, the
// footer.
class HelpFormatter : public CLI::Formatter {
 public:
  HelpFormatter(std::string usage, std::string summary)
      : usage_(std::move(usage)), summary_(std::move(summary)) {
    column_width(26);
    label("Positionals", "operands");
  }
  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
    std::string out =
        usage_ + "\n\n" + (summary_.empty() ? "" : wrap(summary_, "", "")) + make_positionals(app);
    for (const std::string& group : app->get_groups()) {
      const auto in_group = [&](const CLI::Option* o) {
        return o->get_group() == group && o->nonpositional();
      };
      const std::vector<const CLI::Option*> options = app->get_options(in_group);
      if (!options.empty()) out += make_group(group, false, options);
    }
    const std::string footer = app->get_footer();
    if (!footer.empty()) out += "\n" + footer + (footer.back() == '\n' ? "" : "\n");
    return out;
  }

 private:
  std::string usage_, summary_;
};

}  // namespace

CommandLine::CommandLine(std::string command, std::string summary)
    : app_(std::make_unique<CLI::App>(summary, "scenario-tool " + command)),
      command_(std::move(command)),
      summary_(std::move(summary)) {
  app_->option_defaults()->group("options");
  app_->set_help_flag("-h,--help", "show this text")->group("options");
  // Unknown options and surplus operands are told in the tool's own words after the parse.
  app_->allow_extras(true);
  // Options start with a hyphen on every system: on Windows CLI11 would also take "/x" for one,
  // and an absolute path for an unknown option.
  app_->allow_windows_style_options(false);
}

CommandLine::~CommandLine() = default;
CommandLine::CommandLine(CommandLine&&) noexcept = default;
CommandLine& CommandLine::operator=(CommandLine&&) noexcept = default;

CommandLine& CommandLine::declare(Declared::Kind kind, const std::string& name,
                                  const std::string& metavar, bool required) {
  declared_.push_back({kind, name, metavar, required, group_label_});
  return *this;
}

CommandLine& CommandLine::option(const std::string& names, const std::string& metavar,
                                 const std::string& help, bool required) {
  CLI::Option* o = app_->add_option(names, help)->type_name(metavar);
  // Kept whole, so that a second one is refused below rather than silently taken.
  o->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  if (!group_heading_.empty()) o->group(group_heading_);
  return declare(Declared::Kind::kOption, first_name(names), metavar, required);
}

CommandLine& CommandLine::repeatable(const std::string& names, const std::string& metavar,
                                     const std::string& help) {
  CLI::Option* o = app_->add_option(names, help)->type_name(metavar);
  o->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)->expected(1);
  o->option_text(metavar + " (again and again)");
  if (!group_heading_.empty()) o->group(group_heading_);
  return declare(Declared::Kind::kRepeatable, first_name(names), metavar, false);
}

CommandLine& CommandLine::flag(const std::string& names, const std::string& help) {
  CLI::Option* o = app_->add_flag(names, help)->disable_flag_override();
  o->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  if (!group_heading_.empty()) o->group(group_heading_);
  return declare(Declared::Kind::kFlag, first_name(names), "", false);
}

CommandLine& CommandLine::operand(const std::string& name, const std::string& help) {
  app_->add_option(name, help)->type_name("")->group("operands");
  return declare(Declared::Kind::kOperand, name, "", true);
}

CommandLine& CommandLine::optional_operand(const std::string& name, const std::string& help) {
  app_->add_option(name, help)->type_name("")->group("operands");
  return declare(Declared::Kind::kOptionalOperand, name, "", false);
}

CommandLine& CommandLine::operands(const std::string& name, const std::string& help) {
  app_->add_option(name, help)
      ->type_name("")
      ->option_text(" ...")
      ->expected(1, CLI::detail::expected_max_vector_size)
      ->allow_extra_args(true)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->group("operands");
  return declare(Declared::Kind::kOperands, name, "", true);
}

CommandLine& CommandLine::group(const std::string& heading, const std::string& usage_label) {
  group_heading_ = heading;
  group_label_ = usage_label;
  return *this;
}

CommandLine& CommandLine::footer(const std::string& text) {
  app_->footer(text);
  return *this;
}

std::optional<int> CommandLine::parse(const std::vector<std::string>& args, std::ostream& out,
                                      std::ostream& err) {
  // The library takes the arguments last first. It reads "--name=" as "--name" without its
  // value, which would take the next argument: an empty value is given as one.
  std::vector<std::string> reversed;
  for (auto a = args.rbegin(); a != args.rend(); ++a) {
    const bool empty_value = a->size() > 3 && a->rfind("--", 0) == 0 && a->back() == '=';
    const CLI::Option* o =
        empty_value ? app_->get_option_no_throw(a->substr(0, a->size() - 1)) : nullptr;
    const bool flag =
        o != nullptr && std::any_of(declared_.begin(), declared_.end(), [&](const Declared& d) {
          return d.kind == Declared::Kind::kFlag && app_->get_option(d.name) == o;
        });
    if (flag) return refuse(o->get_name() + " takes no value", err);
    if (o != nullptr) {
      reversed.push_back("");
      reversed.push_back(a->substr(0, a->size() - 1));
    } else {
      reversed.push_back(*a);
    }
  }
  try {
    app_->parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << help() << std::flush;
    return 0;
  } catch (const CLI::ArgumentMismatch& e) {
    const std::string what = e.what();
    // "json was given a disallowed flag override": --json=1.
    if (what.find("flag override") != std::string::npos) {
      return refuse("--" + what.substr(0, what.find(' ')) + " takes no value", err);
    }
    // "--name: 1 required NAME missing": an option at the end, or before another option.
    return refuse(what.substr(0, what.find(':')) + " needs a value", err);
  } catch (const CLI::ParseError& e) {
    return refuse(e.what(), err);
  }

  for (const std::string& extra : app_->remaining()) {
    if (extra.size() > 1 && extra[0] == '-' && extra != "--") {
      return refuse("unknown option '" + extra.substr(0, extra.find('=')) + "'", err);
    }
  }
  for (const Declared& d : declared_) {
    const CLI::Option* o = app_->get_option(d.name);
    const bool once = d.kind == Declared::Kind::kOption || d.kind == Declared::Kind::kFlag;
    if (once && o->count() > 1) {
      std::string names = o->get_name(false, true);
      std::replace(names.begin(), names.end(), ',', '/');
      return refuse(names + " is given more than once", err);
    }
    if (d.required && o->count() == 0) {
      return refuse(d.name + (d.metavar.empty() ? "" : " " + d.metavar) + " is missing", err);
    }
  }
  for (const std::string& extra : app_->remaining()) {
    if (extra == "--") continue;
    for (auto d = declared_.rbegin(); d != declared_.rend(); ++d) {
      if (d->kind == Declared::Kind::kOperand || d->kind == Declared::Kind::kOptionalOperand) {
        return refuse("more than one " + d->name + " given", err);
      }
    }
    return refuse("unexpected '" + extra + "'", err);
  }
  return std::nullopt;
}

std::optional<std::string> CommandLine::value(std::string_view name) const {
  const std::vector<std::string> all = values(name);
  if (all.empty()) return std::nullopt;
  return all.back();
}

std::vector<std::string> CommandLine::values(std::string_view name) const {
  const CLI::Option* o = app_->get_option_no_throw(std::string(name));
  return o == nullptr ? std::vector<std::string>{} : o->results();
}

bool CommandLine::given(std::string_view name) const {
  const CLI::Option* o = app_->get_option_no_throw(std::string(name));
  return o != nullptr && o->count() > 0;
}

std::string CommandLine::synopsis() const {
  std::string s = command_;
  std::string last_group;
  for (const Declared& d : declared_) {
    if (!d.group_label.empty()) {
      if (d.group_label != last_group) s += " [" + d.group_label + "]";
      last_group = d.group_label;
      continue;
    }
    const std::string with_value = d.name + (d.metavar.empty() ? "" : " " + d.metavar);
    switch (d.kind) {
      case Declared::Kind::kOption:
        s += d.required ? " " + with_value : " [" + with_value + "]";
        break;
      case Declared::Kind::kRepeatable:
        s += " [" + with_value + "]...";
        break;
      case Declared::Kind::kFlag:
        s += " [" + d.name + "]";
        break;
      case Declared::Kind::kOperand:
        s += " " + d.name;
        break;
      case Declared::Kind::kOptionalOperand:
        s += " [" + d.name + "]";
        break;
      case Declared::Kind::kOperands:
        s += " " + d.name + "...";
        break;
    }
  }
  return s;
}

std::string CommandLine::usage() const { return "usage: scenario-tool " + synopsis(); }

const std::string& CommandLine::summary() const { return summary_; }

std::string CommandLine::help() const {
  return HelpFormatter(usage(), summary_).make_help(app_.get(), "", CLI::AppFormatMode::Normal);
}

int CommandLine::refuse(const std::string& why, std::ostream& err) const {
  err << "scenario-tool " << command_ << ": " << why << "\n" << usage() << "\n";
  const auto grouped = std::find_if(declared_.begin(), declared_.end(),
                                    [](const Declared& d) { return !d.group_label.empty(); });
  if (grouped != declared_.end()) {
    err << "(scenario-tool " << command_ << " --help lists the " << grouped->group_label << ")\n";
  }
  err << std::flush;
  return 2;
}

}  // namespace scenario::tool

// scenario-import: scenario-tool import's program, with the geodata libraries linked in.
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "format/cp1252.h"
#include "format/file_names.h"
#include "format/replace_file.h"
#include "format/signal_cleanup.h"
#include "import/geodata/import_file.h"
#include "tool/decompile_command.h"
#include "tool/import_command.h"
#include "tool/scenario_options.h"

namespace {

using scenario::tool::CommandLine;

// "HH:MM" or "HH:MM:SS" in seconds after midnight.
std::optional<int32_t> clock_of(const std::string& text) {
  int h = 0, m = 0, s = 0;
  char end = 0;
  const int n = std::sscanf(text.c_str(), "%d:%d:%d%c", &h, &m, &s, &end);
  if ((n != 2 && n != 3) || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
    return std::nullopt;
  return (h * 60 + m) * 60 + s;
}

int run(const std::vector<std::string>& args) {
  CommandLine c = scenario::tool::import_command_line();
  if (const auto done = c.parse(args, std::cout, std::cerr)) return *done;
  scenario::import::ImportSettings s;
  const bool by_relation = c.given("--relation");
  if (by_relation && (c.given("--from") || c.given("--to"))) {
    return c.refuse("--relation takes the place of --from and --to", std::cerr);
  }
  if (!by_relation && (!c.given("--from") || !c.given("--to"))) {
    return c.refuse("give --from and --to, or --relation", std::cerr);
  }
  if (by_relation) {
    try {
      size_t used = 0;
      s.relation = std::stoll(*c.value("--relation"), &used);
      if (used != c.value("--relation")->size() || s.relation <= 0) throw std::invalid_argument("");
    } catch (const std::exception&) {
      return c.refuse("--relation takes a relation's id, a positive whole number", std::cerr);
    }
  } else {
    s.from = *c.value("--from");
    s.to = *c.value("--to");
  }
  s.stops = c.values("--stop");
  if (const auto v = c.value("--start")) {
    const auto t = clock_of(*v);
    if (!t) return c.refuse("--start takes a time as HH:MM", std::cerr);
    s.start = *t;
  }
  if (const auto v = c.value("--allowance")) {
    try {
      size_t used = 0;
      s.allowance = std::stod(*v, &used);
      if (used != v->size() || !(s.allowance >= 0 && s.allowance <= 100))
        throw std::invalid_argument("");
    } catch (const std::exception&) {
      return c.refuse("--allowance takes a per cent from 0 to 100", std::cerr);
    }
  }
  scenario::tool::ScenarioOptions o;
  try {
    o = scenario::tool::scenario_options(c, "OSMFILE");
  } catch (const std::exception& e) {
    return c.refuse(e.what(), std::cerr);
  }
  if (o.name) s.name = *o.name;
  if (o.train) s.train = *o.train;
  const bool json = c.given("--json");
  try {
    const scenario::import::ImportResult r =
        scenario::import::import_file(o.directory, c.values("--dem"), s);
    const std::string outdir = o.output.value_or(".");
    std::error_code ec;
    std::filesystem::create_directories(outdir, ec);
    if (ec) throw std::runtime_error(outdir + ": cannot create the directory: " + ec.message());
    const scenario::Identity id{s.name, s.train};
    const bool force = c.given("--force");
    const std::string line_path =
        scenario::tool::source_target(outdir + "/" + scenario::line_source_name(id), force);
    const std::string train_path =
        scenario::tool::source_target(outdir + "/" + scenario::train_source_name(id), force);
    scenario::replace_files({{line_path, r.line_text}, {train_path, r.train_text}});
    if (json) {
      nlohmann::json report = r.report;
      report["files"] = {line_path, train_path};
      std::cout << report.dump(2) << "\n";
    } else {
      for (const std::string& w : r.warnings)
        std::cerr << "scenario-tool import: warning: " << w << "\n";
      std::string rows;
      for (const auto& [kind, entry] : r.report["rows"].items()) {
        rows += (rows.empty() ? "" : ", ") + kind + " " + entry["rows"].dump();
      }
      std::cerr << "scenario-tool import: wrote " << line_path << " and " << train_path << ": "
                << r.line.route_length << " m; rows: " << rows << "\n";
    }
  } catch (const scenario::import::ImportError& e) {
    std::cerr << "scenario-tool import: " << e.what() << std::endl;
    return e.status;
  } catch (const std::exception& e) {
    std::cerr << "scenario-tool import: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  scenario::install_interrupt_cleanup();
  return run(std::vector<std::string>(argv + 1, argv + argc));
}

#include "tool/compile_command.h"

#include <filesystem>
#include <iostream>

#include "compiler/errore.h"
#include "compiler/file_error.h"
#include "compiler/status_report.h"
#include "tool/json_writer.h"
#include "tool/scenario_options.h"

namespace scenario::tool {
namespace {

constexpr const char* kCompileUsage =
    "usage: scenario-tool compile [--name NAME] [--train NUMBER] [-o OUTDIR] [--json] SRCDIR";

void print_json(const ToolCompile& c) {
  const BuildState& s = *c.state;
  const RowOrigin& o = s.status_origin;
  std::string out = "{\"status\": " + std::to_string(s.read_status);
  out += ", \"position\": " + std::to_string(s.read_status_position);
  const bool has_file = s.read_status != 0 && o.known();
  out += ", \"file\": " + (has_file ? json_string(o.file) : std::string("null"));
  const int32_t line = s.read_status == 25 && o.field_line > 0 ? o.field_line : o.line;
  out += ", \"line\": " + (has_file && line > 0 ? std::to_string(line) : std::string("null"));
  std::string message = status_message(s.read_status);
  if (s.read_status == 25 && !c.result.failure_reason.empty()) {
    message += ": " + c.result.failure_reason;
  }
  out += ", \"message\": " + json_string(message);
  out += ", \"errore\": " + (c.errore ? json_string(*c.errore) : std::string("null"));
  out += ", \"outputs\": [";
  for (size_t i = 0; i < c.result.outputs.size(); ++i) {
    if (i) out += ", ";
    out += json_string(c.result.outputs[i]);
  }
  out += "]}";
  std::cout << out << std::endl;
}

}  // namespace

ToolCompile compile_sources(const std::string& srcdir, const std::string& outdir,
                            const Identity& id) {
  ToolCompile c;
  c.state = std::make_unique<BuildState>();
  BuildState& s = *c.state;
  s.scenario_name = id.name;
  s.train_number = id.train;
  s.directory = srcdir;
  s.output_directory = outdir;
  s.keep_sources = true;
  std::error_code ec;
  std::filesystem::create_directories(outdir, ec);
  if (ec) throw FileError(outdir, "cannot create the output directory: " + ec.message());
  try {
    c.result = memorizza_percorso(s, 1);
  } catch (const BuildAborted& aborted) {
    c.errore = aborted.number();
  }
  return c;
}

int compile_command(const std::vector<std::string>& args) {
  ScenarioOptions o;
  Identity id;
  try {
    o = parse_scenario_options(args, {.output = true, .json = true});
    id = resolve_identity(o.directory, o.name, o.train);
  } catch (const UsageError& e) {
    std::cerr << "scenario-tool compile: " << e.what() << "\n" << kCompileUsage << std::endl;
    return 2;
  }
  const std::string outdir = o.output.value_or(o.directory);
  ToolCompile c;
  try {
    c = compile_sources(o.directory, outdir, id);
  } catch (const std::exception& e) {
    std::cerr << "scenario-tool compile: " << e.what() << std::endl;
    return 1;
  }
  if (o.json) print_json(c);
  if (c.errore) return 1;  // errore has printed its line
  if (c.state->read_status != 0) {
    std::cerr << format_status_line(*c.state, c.result.failure_reason) << std::endl;
    return 3;
  }
  return 0;
}

}  // namespace scenario::tool

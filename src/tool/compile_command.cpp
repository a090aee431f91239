#include "tool/compile_command.h"

#include <filesystem>
#include <iostream>

#include "compiler/errore.h"
#include "format/directory_lock.h"
#include "format/file_error.h"
#include "format/file_names.h"
#include "format/native_path.h"
#include "format/output_path.h"
#include "source/diagnostic_json.h"
#include "timing/running_time.h"
#include "tool/documents_command.h"
#include "tool/scenario_identity.h"
#include "tool/scenario_options.h"

namespace scenario::tool {
namespace {

// The status's diagnostic, the errore number (null when none), the files written and, when one
// could not be written, the error (a compiled file's, else documents_error when not empty).
void print_json(const ToolCompile& c, const std::string& documents_error) {
  nlohmann::ordered_json j = diagnostic_json(c.outcome.status);
  j["errore"] = c.outcome.errore ? nlohmann::ordered_json(c.outcome.errore->code) : nullptr;
  j["outputs"] = c.written;
  if (c.write_error) {
    j["error"] = *c.write_error;
  } else if (!documents_error.empty()) {
    j["error"] = documents_error;
  }
  std::cout << j.dump() << std::endl;
}

}  // namespace

ToolCompile compile_sources(const std::string& srcdir, const std::string& outdir,
                            const Identity& id,
                            const std::function<void(ToolCompile&)>& while_locked) {
  ToolCompile c;
  c.state = std::make_unique<BuildState>();
  c.state->scenario_name = id.name;
  c.state->train_number = id.train;
  make_output_directory(outdir);
  const DirectoryLock lock(outdir);
  DirectorySources sources(srcdir, DirectorySources::Policy::kKeep);
  c.outcome = compile(*c.state, sources, 1);
  if (c.outcome.errore) return c;
  try {
    // An author recompiles into one folder again and again: a file whose bytes are the same
    // is left as it is.
    c.written = write_outputs(*c.state, c.outcome, outdir, WhenUnchanged::kKeep);
  } catch (const FileError& e) {
    // The files are written in order up to the one named; an error naming the directory
    // (colliding names) comes before any.
    for (const std::string& name : c.outcome.outputs) {
      if (e.path() == outdir + "/" + name) break;
      c.written.push_back(name);
    }
    if (c.written.size() == c.outcome.outputs.size()) c.written.clear();
    c.write_error = e.what();
    return c;
  }
  if (while_locked) while_locked(c);
  return c;
}

CommandLine compile_command_line() {
  CommandLine c("compile",
                "compile a scenario's sources into its three compiled files; --documents also "
                "writes the timetable sheet and the slowdown order beside them");
  declare_identity_options(c);
  c.option("-o,--output", "OUTDIR", "where the compiled files go (default: SRCDIR)");
  c.flag("--json", "print the outcome as one JSON object");
  c.flag("--documents", "also write the driver's documents");
  c.operand("SRCDIR", "the folder of the two sources");
  return c;
}

int compile_command(const std::vector<std::string>& args) {
  CommandLine cl = compile_command_line();
  if (const auto done = cl.parse(args, std::cout, std::cerr)) return *done;
  ScenarioOptions o;
  Identity id;
  const bool documents = cl.given("--documents");
  try {
    o = scenario_options(cl, "SRCDIR");
    id = resolve_identity(o.directory, o.name, o.train);
  } catch (const UsageError& e) {
    return cl.refuse(e.what(), std::cerr);
  }
  ToolCompile c;
  const std::string outdir = o.output.value_or(o.directory);
  // Why the documents asked for are not written, when they are not.
  std::optional<std::string> documents_error;
  // Under OUTDIR's lock, so that a compile into the same folder cannot slip its compiled files
  // between these and their documents.
  const auto write_documents = [&](ToolCompile& c) {
    if (!documents) return;
    // Documents of sources with a fault would describe another scenario than the author's.
    if (!c.outcome.clean()) {
      documents_error = "the sources have a fault";
      return;
    }
    const BuildState& s = *c.state;
    std::vector<std::string> paths;
    try {
      make_documents(id, s.general, s.track.blocks(), s.curves, timing::TrainModel{},
                     timing::kDefaultStep, outdir, "scenario-tool compile: ", std::cerr, paths);
    } catch (const documents::DocumentsError& e) {
      documents_error = e.what();
    } catch (const FileError& e) {
      documents_error = e.what();
    }
    for (const std::string& p : paths) {
      c.written.push_back(path_text(native_path(p).filename()));
    }
  };
  try {
    c = compile_sources(o.directory, outdir, id, write_documents);
    if (documents && !documents_error && c.write_error) {
      documents_error = "the compiled files are not all written";
    } else if (documents && !documents_error && !c.outcome.clean()) {
      documents_error = "the sources have a fault";
    }
  } catch (const std::exception& e) {
    if (o.json) {
      // Nothing was compiled: no status to give, only the error.
      nlohmann::ordered_json j;
      j["status"] = nullptr;
      j["errore"] = nullptr;
      j["outputs"] = nlohmann::ordered_json::array();
      j["error"] = e.what();
      std::cout << j.dump() << std::endl;
    }
    std::cerr << "scenario-tool compile: " << e.what() << std::endl;
    return 1;
  }
  // A clean compile whose documents are missing ends in an error; otherwise the compile's own
  // outcome says it.
  const bool documents_failed = documents_error && c.outcome.clean() && !c.write_error;
  if (o.json) {
    print_json(c, documents_failed ? "the documents are not written: " + *documents_error : "");
  }
  if (documents_error) {
    // The compiled files are written all the same; only the documents are missing.
    std::cerr << "scenario-tool compile: the documents are not written: " << *documents_error
              << std::endl;
  }
  if (c.write_error) {
    std::cerr << "scenario-tool compile: " << *c.write_error << std::endl;
    return 1;
  }
  if (documents_failed) return 1;
  if (c.outcome.errore) {
    std::cerr << errore_message(c.outcome.errore->code) << std::endl;
    return 1;
  }
  if (!c.outcome.status.clean()) {
    std::cerr << diagnostic_text(c.outcome.status) << std::flush;
    return 3;
  }
  return 0;
}

}  // namespace scenario::tool

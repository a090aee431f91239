#include "tool/documents_command.h"

#include <filesystem>
#include <memory>

#include "compiler/compile.h"
#include "compiler/errore.h"
#include "format/file_error.h"
#include "format/native_path.h"
#include "format/output_path.h"
#include "inspect/run_input.h"
#include "timing/running_time.h"
#include "tool/model_options.h"
#include "tool/run_options.h"
#include "tool/scenario_identity.h"
#include "tool/scenario_options.h"

namespace scenario::tool {
void make_documents(const Identity& id, const GeneralTable& general,
                    const std::vector<TrackBlock>& track, const CurveTable& curves,
                    const timing::TrainModel& model, double step, const std::string& dir,
                    const std::string& prefix, std::ostream& err, std::vector<std::string>& written,
                    timing::RunKind run) {
  const documents::Documents docs =
      documents::scenario_documents(id, general, track, curves, model, step, run);
  for (const auto* d : {&docs.sheet, &docs.order}) {
    for (const std::string& w : d->warnings) err << prefix << "warning: " << w << "\n";
  }
  make_output_directory(dir);
  documents::write_documents(docs, id, dir, written);
}

CommandLine documents_command_line() {
  CommandLine c("documents",
                "write the driver's timetable sheet and slowdown order of the scenario in DIR "
                "(compiled files, or sources compiled in memory), times computed");
  declare_identity_options(c);
  c.option("-o,--output", "OUTDIR", "where the documents go (default: DIR)");
  declare_run_options(c, false, timing::RunKind::kEco);
  declare_model_options(c);
  c.operand("DIR", "the compiled files, or the two sources (compiled in memory first)");
  return c;
}

int documents_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLine c = documents_command_line();
  if (const auto done = c.parse(args, out, err)) return *done;
  timing::TrainModel model;
  double step = timing::kDefaultStep;
  timing::RunOptions run;
  ScenarioOptions o;
  Identity id;
  bool compiled = true;
  try {
    const ModelChoice m = model_options(c);
    model = m.model;
    step = m.step;
    run_options(c, run, timing::RunKind::kEco);
    o = scenario_options(c, "DIR");
    try {
      id = resolve_identity(o.directory, o.name, o.train, IdentityFrom::kCompiled);
      compiled = std::filesystem::exists(native_path(o.directory + "/" + general_file_name(id)));
    } catch (const UsageError&) {
      compiled = false;
    }
    if (!compiled) id = resolve_identity(o.directory, o.name, o.train, IdentityFrom::kSources);
  } catch (const UsageError& e) {
    return c.refuse(e.what(), err);
  }
  const std::string outdir = o.output.value_or(o.directory);
  try {
    std::vector<std::string> written;
    if (compiled) {
      const CompiledTables t = load_compiled_tables(o.directory, id);
      make_documents(id, t.general, t.track, t.curves, model, step, outdir,
                     "scenario-tool documents: ", err, written, run.kind);
    } else {
      auto state = std::make_unique<BuildState>();
      state->scenario_name = id.name;
      state->train_number = id.train;
      DirectorySources sources(o.directory, DirectorySources::Policy::kKeep);
      const CompileOutcome c = compile(*state, sources, 1);
      if (c.errore) {
        err << errore_message(c.errore->code) << std::endl;
        return 1;
      }
      if (!c.status.clean()) {
        err << diagnostic_text(c.status)
            << "scenario-tool documents: the sources have a fault: nothing written" << std::endl;
        return 3;
      }
      make_documents(id, state->general, state->track.blocks(), state->curves, model, step, outdir,
                     "scenario-tool documents: ", err, written, run.kind);
    }
    for (const std::string& w : written) out << w << "\n";
    return 0;
  } catch (const RunInputFailure& f) {
    err << "scenario-tool documents: " << f.line << std::endl;
  } catch (const std::exception& e) {
    err << "scenario-tool documents: " << e.what() << std::endl;
  }
  return 1;
}

}  // namespace scenario::tool

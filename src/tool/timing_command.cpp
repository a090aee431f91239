#include "tool/timing_command.h"

#include <optional>

#include "format/file_names.h"
#include "format/replace_file.h"
#include "inspect/display_text.h"
#include "inspect/run_input.h"
#include "timing/running_time.h"
#include "tool/compiled_folder.h"
#include "tool/model_options.h"
#include "tool/scenario_identity.h"
#include "tool/timing_options.h"
#include "tool/timing_report.h"
#include "tool/timing_svg.h"

namespace scenario::tool {
int timing_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLine c = timing_command_line();
  if (const auto done = c.parse(args, out, err)) return *done;
  TimingOptions o;
  Identity id;
  try {
    o = timing_options(c);
  } catch (const UsageError& e) {
    return c.refuse(e.what(), err);
  }
  if (const int refused = find_compiled_identity(c, o.scenario, id, err)) return refused;
  const std::string title = display_text(id.name) + ", train " + display_text(id.train);
  const std::string sim = o.scenario.directory + "/" + general_file_name(id);
  try {
    const timing::RunInput in = load_run_input(o.scenario.directory, id);
    o.run.trace = o.svg.has_value();  // the drawing marks the coasting of each interval
    const timing::RunResult run = timing::compute_run(in, o.model, o.run);
    if (o.svg) {
      // A timetable run is drawn over the fastest one, which shows what its margin bought.
      std::optional<timing::RunResult> fastest;
      if (o.run.kind != timing::RunKind::kFastest) {
        timing::RunOptions f = o.run;
        f.kind = timing::RunKind::kFastest;
        fastest = timing::compute_run(in, o.model, f);
      }
      replace_file(*o.svg,
                   render_timing_svg(run, in, o.model, title, fastest ? &*fastest : nullptr));
    }
    if (o.scenario.json) {
      out << timing_json(run, o.model, o.run).dump() << "\n";
    } else {
      out << timing_table(run, o.model, title);
    }
    for (const std::string& line : tight_lines(run, sim)) err << line << "\n";
    const std::vector<std::string> late = infeasible_lines(run, sim);
    for (const std::string& line : late) err << line << "\n";
    out.flush();
    return late.empty() ? 0 : 3;
  } catch (const RunInputFailure& f) {
    err << "scenario-tool timing: " << f.line << std::endl;
  } catch (const timing::TimingError& e) {
    err << "scenario-tool timing: " << sim << ": " << e.what() << std::endl;
  } catch (const std::exception& e) {
    err << "scenario-tool timing: " << e.what() << std::endl;
  }
  return 1;
}

}  // namespace scenario::tool

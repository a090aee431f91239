#include "tool/timing_options.h"

#include "tool/model_options.h"
#include "tool/run_options.h"
#include "tool/scenario_identity.h"

namespace scenario::tool {

CommandLine timing_command_line() {
  CommandLine c("timing",
                "the train's fastest run on its line, the margin of each timed section, the run "
                "that spends it, and their energy");
  declare_identity_options(c);
  c.flag("--json", "print the run as one JSON object");
  c.option("--svg", "FILE", "also draw the run's speed and time as an SVG");
  declare_run_options(c, true, timing::RunKind::kFastest);
  declare_model_options(c);
  c.operand("DIR", "the folder of the compiled files");
  return c;
}

TimingOptions timing_options(const CommandLine& c) {
  TimingOptions o;
  const ModelChoice m = model_options(c);
  o.model = m.model;
  o.run.step = m.step;
  run_options(c, o.run, timing::RunKind::kFastest);
  o.svg = c.value("--svg");
  if (o.svg && o.svg->empty()) throw UsageError{"--svg needs a file name"};
  o.scenario = scenario_options(c, "DIR");
  return o;
}

}  // namespace scenario::tool

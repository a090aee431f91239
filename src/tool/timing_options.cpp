#include "tool/timing_options.h"

#include "timing/running_time.h"
#include "tool/model_options.h"
#include "tool/run_options.h"
#include "tool/scenario_identity.h"

namespace scenario::tool {

TimingOptions parse_timing_options(const std::vector<std::string>& args) {
  TimingOptions o;
  const std::vector<std::string> left =
      take_run_options(take_model_options(args, o.model, o.run.step), o.run, true);
  std::vector<std::string> rest;
  for (size_t i = 0; i < left.size(); ++i) {
    const std::string& a = left[i];
    if (a == "--svg") {
      if (i + 1 >= left.size()) throw UsageError{a + " needs a value"};
      o.svg = left[++i];
      if (o.svg->empty()) throw UsageError{"--svg needs a file name"};
    } else {
      rest.push_back(a);
    }
  }
  o.scenario = parse_scenario_options(rest, {.json = true, .directory = "DIR"});
  return o;
}

}  // namespace scenario::tool

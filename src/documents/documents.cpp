#include "documents/documents.h"

#include "documents/route_facts.h"
#include "documents/slowdown_order.h"
#include "documents/timetable_sheet.h"
#include "emitter/scrivi_righe.h"
#include "format/file_names.h"
#include "format/output_path.h"
#include "inspect/run_input.h"
#include "timing/running_time.h"

namespace scenario::documents {

Documents scenario_documents(const Identity& id, const GeneralTable& general,
                             const std::vector<TrackBlock>& track, const CurveTable& curves,
                             const timing::TrainModel& model, double step, timing::RunKind kind) {
  const timing::RunInput in = run_input(general, track, curves);
  if (in.stations.empty()) throw DocumentsError("the general table holds no station");
  timing::RunResult run;
  try {
    timing::RunOptions o;
    o.step = step;
    o.kind = kind;
    run = timing::compute_run(in, model, o);
  } catch (const timing::TimingError& e) {
    throw DocumentsError(std::string("the run cannot be computed: ") + e.what());
  }
  const RouteFacts facts = route_facts(general, track);
  Documents d;
  d.sheet = timetable_sheet({id, in, run, facts, model});
  d.order = slowdown_order(id, in, facts);
  return d;
}

void write_documents(const Documents& docs, const Identity& id, const std::string& dir,
                     std::vector<std::string>& written) {
  const std::string sheet = dir + "/" + scheda_name(id);
  const std::string order = dir + "/" + rallentamenti_name(id);
  check_replaceable(sheet);
  check_replaceable(order);
  write_text_lines(docs.sheet.rows, sheet);
  written.push_back(sheet);
  write_text_lines(docs.order.rows, order);
  written.push_back(order);
}

}  // namespace scenario::documents

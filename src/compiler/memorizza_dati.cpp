#include "compiler/memorizza_dati.h"

#include "format/file_names.h"
#include "line_reader/line_reader.h"
#include "source/read_failure.h"
#include "source/read_handler.h"
#include "source/status_codes.h"
#include "train_reader/train_reader.h"

namespace scenario {

ReadReport memorizza_dati(BuildState& state, SourceStore& sources, RowLog* log) {
  ReaderContext ctx(state, sources);
  ctx.row_log = log;
  const std::string line = line_source_name(state.identity());
  const std::string train = train_source_name(state.identity());
  read_under_handler(ctx, {line, train}, [&] {
    state.general[GeneralTable::kScenarioSlot].text = state.scenario_name;
    state.general[GeneralTable::kTrainSlot].text = state.train_number;
    if (!ctx.open(line)) {
      ctx.set_status(kNoLineSource);
      return;
    }
    if (read_line_source(ctx) == LineOutcome::kStop) return;
    if (!ctx.open(train)) throw ReadFailure("cannot open " + train + ": no such file");
    read_train_source(ctx);
  });
  return std::move(ctx.report);
}

}  // namespace scenario

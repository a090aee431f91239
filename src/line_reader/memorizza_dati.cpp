#include "line_reader/memorizza_dati.h"

#include <exception>
#include <new>

#include "format/file_names.h"
#include "line_reader/line_reader.h"
#include "line_reader/read_failure.h"
#include "line_reader/reader_context.h"
#include "train_reader/train_reader.h"

namespace scenario {
namespace {

// The source text of name: from the state's in-memory texts when it has them, else the file.
std::optional<std::string> source_text(const BuildState& s, const std::string& name) {
  if (s.source_texts != nullptr) {
    const auto it = s.source_texts->find(name);
    if (it == s.source_texts->end()) return std::nullopt;
    return it->second;
  }
  return load_source(s.path(name));
}

void read_both(ReaderContext& ctx) {
  BuildState& s = ctx.state;
  s.general[GeneralTable::kScenarioSlot].text = s.scenario_name;
  s.general[GeneralTable::kTrainSlot].text = s.train_number;

  ctx.file_name = line_source_name(s.identity());
  std::optional<std::string> line = source_text(s, ctx.file_name);
  if (!line) {
    ctx.set_status(101);
    return;
  }
  ctx.stream.emplace(std::move(*line));
  if (read_line_source(ctx) == LineOutcome::kStop) return;

  ctx.file_name = train_source_name(s.identity());
  ctx.row_line = 0;
  ctx.stream.reset();
  std::optional<std::string> train = source_text(s, ctx.file_name);
  if (!train) throw ReadFailure("cannot open " + ctx.file_name + ": no such file");
  ctx.stream.emplace(std::move(*train));
  read_train_source(ctx);
}

}  // namespace

void memorizza_dati(BuildState& state, std::string* failure_reason) {
  ReaderContext ctx(state);
  try {
    read_both(ctx);
  } catch (const std::exception& e) {
    // The one handler of the reader: whatever failed, both sources go and the code is 25.
    delete_source_if_possible(state, state.path(line_source_name(state.identity())));
    delete_source_if_possible(state, state.path(train_source_name(state.identity())));
    ctx.set_status(25);
    if (failure_reason) *failure_reason = e.what();
  }
}

}  // namespace scenario

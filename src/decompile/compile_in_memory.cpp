#include "decompile/compile_in_memory.h"

#include "compiler/memorizza_dati.h"
#include "format/coding.h"
#include "format/curve_image.h"
#include "format/file_names.h"
#include "format/general_image.h"
#include "format/track_image.h"
#include "source/source_store.h"

namespace scenario::decompile {
namespace {

std::unique_ptr<BuildState> state_of(const Identity& id) {
  auto s = std::make_unique<BuildState>();
  s->scenario_name = id.name;
  s->train_number = id.train;
  return s;
}

MemorySources sources_of(const Identity& id, const std::string& line, const std::string& train) {
  MemorySources m;
  m.set(line_source_name(id), line);
  m.set(train_source_name(id), train);
  return m;
}

}  // namespace

ReadOutcome read_in_memory(const Identity& id, const std::string& line_text,
                           const std::string& train_text) {
  ReadOutcome out;
  out.state = state_of(id);
  BuildState& s = *out.state;
  MemorySources sources = sources_of(id, line_text, train_text);
  // As compile starts a build: the flag set, the table reset.
  s.build_flag = 1;
  s.general.reset();
  const ReadReport report = memorizza_dati(s, sources);
  out.status = make_diagnostic(Diagnostic::Kind::kStatus, s.read_status, s.read_status_position,
                               report.status_origin, report.failure_reason);
  return out;
}

InMemoryCompile compile_in_memory(const Identity& id, const std::string& line_text,
                                  const std::string& train_text) {
  InMemoryCompile c;
  c.state = state_of(id);
  MemorySources sources = sources_of(id, line_text, train_text);
  c.outcome = compile(*c.state, sources, 1);
  return c;
}

CompiledImages images_of(const BuildState& state) {
  StringSink curve, general, track;
  // The largest cell is 10 bytes: one allocation for the whole curve image.
  curve.bytes.reserve(20 * static_cast<size_t>(state.curves.last_metre() + 1));
  write_curve_image(curve, state.curves);
  write_general_image(general, state.general);
  write_track_image(track, state.track);
  return {std::move(curve.bytes), std::move(general.bytes), std::move(track.bytes)};
}

}  // namespace scenario::decompile

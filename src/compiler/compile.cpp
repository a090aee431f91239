#include "compiler/compile.h"

#include "compiler/memorizza_dati.h"
#include "compiler/output_files.h"
#include "compiler/route_compiler.h"
#include "format/file_names.h"
#include "format/marks.h"
#include "source/status_codes.h"

namespace scenario {

CompileOutcome compile(BuildState& state, SourceStore& sources, int32_t build_flag) {
  state.build_flag = build_flag;
  state.read_status = kClean;
  state.general.reset();
  state.track = TrackArray{};
  state.curves.clear();
  ReadReport read = memorizza_dati(state, sources);

  CompileOutcome outcome;
  outcome.read_status =
      make_diagnostic(Diagnostic::Kind::kStatus, state.read_status, state.read_status_position,
                      read.status_origin, read.failure_reason, &read.texts);
  outcome.read_status.culprit = read.culprit;
  outcome.status = outcome.read_status;
  // Without a route length there is no track to stamp and no file to write.
  if (!state.track.exists()) return outcome;

  for (const CompilerFault& f : post_process_track(state, read.blocks)) {
    outcome.compiler_faults.push_back(
        make_diagnostic(Diagnostic::Kind::kStatus, f.code, f.position, f.origin, "", &read.texts));
  }
  if (!outcome.compiler_faults.empty()) outcome.status = outcome.compiler_faults.back();

  if (const std::optional<int32_t> number = stamp_reserved_fields(state)) {
    // Only block 1 can hold a row's item; slot 85's fields have no source row.
    const TrackBlock& b = state.track[kMarkBlock];
    const bool on_block = *number == kFormatMarkInUse ? b.value1 != 0 : b.value2 != 0;
    const RowOrigin origin = on_block ? block_origin(state, read.blocks, kMarkBlock) : RowOrigin{};
    outcome.errore =
        make_diagnostic(Diagnostic::Kind::kErrore, *number, 0, origin, "", &read.texts);
    return outcome;
  }
  if (build_flag != 0) outcome.outputs.push_back(curve_file_name(state.identity()));
  outcome.outputs.push_back(general_file_name(state.identity()));
  outcome.outputs.push_back(track_file_name(state.identity()));
  return outcome;
}

std::vector<std::string> write_outputs(const BuildState& state, const CompileOutcome& outcome,
                                       const std::string& directory, WhenUnchanged unchanged) {
  return write_compiled_files(state, outcome.outputs, directory, unchanged);
}

}  // namespace scenario

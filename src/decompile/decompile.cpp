#include "decompile/decompile.h"

#include <algorithm>

#include "compiler/route_compiler.h"
#include "compiler/scenario_codes.h"
#include "decompile/compile_in_memory.h"
#include "decompile/image_difference.h"
#include "decompile/recover.h"
#include "decompile/source_text.h"
#include "format/marks.h"

namespace scenario::decompile {
namespace {

// The stamps of slot 85 and block 1: checked, then cleared as the readers left them.
void check_and_clear_stamps(CompiledFiles& f, const std::string& name, const std::string& train,
                            const FileNames& n) {
  GeneralEntry& slot85 = f.general[GeneralTable::kScenarioSlot];
  if (slot85.text != name || f.general[GeneralTable::kTrainSlot].text != train) {
    throw Inconsistency(n.general + ": slots 85 and 86 name the scenario '" + slot85.text + "' '" +
                        f.general[GeneralTable::kTrainSlot].text + "', not '" + name + "' '" +
                        train + "' of the file names");
  }
  if (slot85.int1 != kGeneralFormatMark) {
    throw Inconsistency(n.general + ": slot 85 int1 is " + std::to_string(slot85.int1) +
                        ", not the format mark " + std::to_string(kGeneralFormatMark));
  }
  if (slot85.long4 != codice_gara_st(f.general)) {
    throw Inconsistency(n.general + ": slot 85 long4 is " + std::to_string(slot85.long4) +
                        ", not the scenario code " + std::to_string(codice_gara_st(f.general)));
  }
  if (f.blocks.size() <= kMarkBlock)
    throw Inconsistency(n.track + " holds no block " + std::to_string(kMarkBlock));
  TrackBlock& block1 = f.blocks[kMarkBlock];
  if (block1.value1 != kTrackFormatMark) {
    throw Inconsistency(n.track + ": block 1 value1 is " + std::to_string(block1.value1) +
                        ", not the format mark " + std::to_string(kTrackFormatMark));
  }
  if (block1.value2 != codice_gara_og(f.general)) {
    throw Inconsistency(n.track + ": block 1 value2 is " + std::to_string(block1.value2) +
                        ", not the scenario code " + std::to_string(codice_gara_og(f.general)));
  }
  slot85.int1 = 0;
  slot85.long4 = 0;
  block1.value1 = 0;
  block1.value2 = 0;
}

std::string status_problem(const Diagnostic& d) {
  std::string line = "the recovered sources do not compile cleanly (";
  line += d.kind == Diagnostic::Kind::kErrore ? "errore " : "status ";
  line += std::to_string(d.code);
  if (d.has_position) line += " at " + std::to_string(d.position) + " m";
  return line + ": " + d.message + "): no clean compile gives these files";
}

// The code-cut points of 180 that the compiler does not place by itself: those came from rows.
// Adding a row may move where the compiler places its own, so this runs until nothing changes.
std::vector<int64_t> cuts_from_rows(const TrackArray& read, const std::vector<int64_t>& open) {
  std::vector<int64_t> chosen;
  if (open.empty()) return chosen;
  std::vector<bool> taken(open.size(), false);
  // One or two rounds settle it in practice; the final comparison judges whatever is left.
  constexpr size_t kMaxRounds = 64;
  for (size_t round = 0; round <= open.size() && round < kMaxRounds; ++round) {
    BuildState trial;
    trial.track = read;
    for (const int64_t b : chosen) {
      if (!trial.track[b].is_free()) return chosen;  // the final check names the block
      trial.track[b].code = kCodeCutValue;
      trial.track[b].value1 = kPointValue;
    }
    post_process_track(trial);
    bool added = false;
    for (size_t i = 0; i < open.size(); ++i) {
      const TrackBlock& t = trial.track[open[i]];
      if (taken[i] || (t.code == kCodeCutValue && t.value1 == kPointValue)) continue;
      taken[i] = true;
      chosen.push_back(open[i]);
      added = true;
    }
    if (!added) break;
  }
  std::sort(chosen.begin(), chosen.end());
  return chosen;
}

// Fills out's texts and returns true when they compile back to bytes; else sets out.error.
bool recover(const CompiledBytes& bytes, const Identity& id, DecompileOutcome& out) {
  const FileNames names{bytes.curve_name, bytes.general_name, bytes.track_name};
  std::optional<CompiledFiles> files = decode_compiled(bytes, out.error);
  if (!files) return false;
  check_and_clear_stamps(*files, id.name, id.train, names);
  const LineRows line = recover_line(*files, names);
  TrainRecovery train_rows = recover_train(*files, names);
  files.reset();  // the compiles below need as much room again
  out.line_text = line_source_text(line);

  // Which points of 180 came from rows is decided on the track as the readers leave it.
  if (!train_rows.open_cuts.empty()) {
    const ReadOutcome read = read_in_memory(id, out.line_text, train_source_text(train_rows.rows));
    if (!read.status.clean()) {
      out.error = status_problem(read.status);
      return false;
    }
    for (const int64_t b : cuts_from_rows(read.state->track, train_rows.open_cuts)) {
      train_rows.rows.code_cuts.push_back({static_cast<int32_t>(b * 50), kPointValue});
    }
    std::sort(train_rows.rows.code_cuts.begin(), train_rows.rows.code_cuts.end(),
              [](const Step& a, const Step& b) { return a.position < b.position; });
  }
  out.train_text = train_source_text(train_rows.rows);

  // The check: the sources as they will be written, through the one compile.
  const InMemoryCompile c = compile_in_memory(id, out.line_text, out.train_text);
  if (c.outcome.errore) {
    out.error = status_problem(*c.outcome.errore);
    return false;
  }
  if (!c.outcome.status.clean()) {
    out.error = status_problem(c.outcome.status);
    return false;
  }
  if (auto d = image_difference(names, bytes, *c.state)) {
    out.error = *d;
    return false;
  }
  return true;
}

}  // namespace

DecompileOutcome decompile(const CompiledBytes& bytes, const std::string& name,
                           const std::string& train) {
  DecompileOutcome out;
  try {
    out.ok = recover(bytes, {name, train}, out);
  } catch (const Inconsistency& e) {
    out.error = e.what();
  } catch (const std::exception& e) {
    out.error = std::string("the recovered sources fail to compile: ") + e.what();
  }
  if (!out.ok) {
    out.line_text.clear();
    out.train_text.clear();
  }
  return out;
}

}  // namespace scenario::decompile

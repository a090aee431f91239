// The five emitters of the built-in scenario's text files.
#pragma once

#include <string>

#include "format/replace_file.h"
#include "model/build_state.h"

namespace scenario {

// Each writes one text into state.directory. Throws FileError.
void dati_linea(BuildState& state);
void dati_treno(BuildState& state);
void dati_scheda(BuildState& state);
void dati_rallentamenti(BuildState& state);
void dati_note(BuildState& state);

// All five, in the driver's order: line, train, notes, slowdown order, timetable sheet. sources
// is what an interrupting signal does to the two sources once written: the one-scenario build,
// which deletes them once read, has them removed too when it is interrupted before.
void emit_all(BuildState& state, OnInterrupt sources = OnInterrupt::kKeep);

}  // namespace scenario

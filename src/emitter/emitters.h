// The five emitters of the built-in scenario's text files.
#pragma once

#include <string>

#include "model/build_state.h"

namespace scenario {

// File names of the five texts for the state's identity.
std::string line_source_file(const BuildState& state);
std::string train_source_file(const BuildState& state);
std::string scheda_file(const BuildState& state);
std::string rallentamenti_file(const BuildState& state);
std::string note_file(const BuildState& state);

// Each writes one text into state.directory. Throws FileError.
void dati_linea(BuildState& state);
void dati_treno(BuildState& state);
void dati_scheda(BuildState& state);
void dati_rallentamenti(BuildState& state);
void dati_note(BuildState& state);

// All five, in the driver's order: line, train, notes, slowdown order, timetable sheet.
void emit_all(BuildState& state);

}  // namespace scenario

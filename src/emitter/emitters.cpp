#include "emitter/emitters.h"

#include <memory>
#include <span>
#include <string_view>

#include "emitter/content/content.h"
#include "emitter/row_list.h"
#include "emitter/scrivi_righe.h"
#include "format/file_names.h"

namespace scenario {
namespace {

void emit(BuildState& state, std::span<const std::string_view> content, const std::string& name,
          OnInterrupt written = OnInterrupt::kKeep) {
  // Each emitter owns its list only while it writes.
  auto list = std::make_unique<RowList>();
  list->fill(content);
  scrivi_righe(state, *list, state.path(name), written);
}

void emit_line(BuildState& s, OnInterrupt written) {
  emit(s, content::linea_rows(), line_source_name(s.identity()), written);
}
void emit_train(BuildState& s, OnInterrupt written) {
  emit(s, content::treno_rows(), train_source_name(s.identity()), written);
}

}  // namespace

void dati_linea(BuildState& s) { emit_line(s, OnInterrupt::kKeep); }
void dati_treno(BuildState& s) { emit_train(s, OnInterrupt::kKeep); }
void dati_scheda(BuildState& s) { emit(s, content::scheda_rows(), scheda_name(s.identity())); }
void dati_rallentamenti(BuildState& s) {
  emit(s, content::rallentamenti_rows(), rallentamenti_name(s.identity()));
}
void dati_note(BuildState& s) { emit(s, content::note_rows(), note_name(s.identity())); }

void emit_all(BuildState& s, OnInterrupt sources) {
  emit_line(s, sources);
  emit_train(s, sources);
  dati_note(s);
  dati_rallentamenti(s);
  dati_scheda(s);
}

}  // namespace scenario

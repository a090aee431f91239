// The one compile in memory of a scenario's two sources for the editor: the open documents'
// texts taking the place of their files, the other source read from the folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lsp/documents.h"
#include "lsp/editor_diagnostic.h"
#include "model/build_state.h"

namespace scenario::lsp {

// The scenario a source document belongs to. A train source NAME_TRAIN-.txt names both; a line
// source NAME_linea.txt takes the train of an open train source of NAME in its folder, else the
// first (by name) on disk, else none (the train text is then empty). nullopt for a document
// that is not a source, or whose name tells no scenario.
std::optional<Identity> pair_identity(const Document& d, const Documents& open);

// Compiles the pair of identity in directory and returns what it finds: faults first, then the
// warnings of the sources.
std::vector<EditorDiagnostic> check_pair(BuildState& state, const std::string& directory,
                                         const Identity& id, const Documents& open);

}  // namespace scenario::lsp

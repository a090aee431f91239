// The column form in which the emitter spells each row kind's values (kept beside each kind in
// the field reference), and the source kind of a file name.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "source/field_reference.h"

namespace scenario {

// The values of a row kind as the emitter writes them, one form per comma-separated field.
inline std::span<const ValueForm> column_form(const RowKindEntry& kind) { return kind.columns; }

// The source kind that a file name is for: NAME_linea.txt is a line source, NAME_TRAIN-.txt a
// train source. nullopt for other names.
std::optional<SourceKind> source_kind_of(std::string_view file_name);

}  // namespace scenario

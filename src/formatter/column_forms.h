// The column form in which the emitter spells each row kind's values, and the source kind of a
// file name. What the row kinds are and how the readers recognise them is the field reference's.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "source/field_reference.h"

namespace scenario {

enum class ValueType {
  kNumber,  // a whole number, or nothing (read as 0)
  kText,    // a board text or a station name, up to the next comma or line end
  kClock,   // the clock row's three numbers, apart by blanks in one field
};

// One value after the keyword: `blanks` fixed blanks before it, or, when `width` is set, as many
// blanks as right-align it in that many characters.
struct ValueForm {
  ValueType type = ValueType::kNumber;
  int blanks = 0;
  int width = 0;
};

// The values of a row kind as the emitter writes them, one form per comma-separated field.
std::span<const ValueForm> column_form(const RowKindEntry& kind);

// The source kind that a file name is for: NAME_linea.txt is a line source, NAME_TRAIN-.txt a
// train source. nullopt for other names.
std::optional<SourceKind> source_kind_of(std::string_view file_name);

}  // namespace scenario

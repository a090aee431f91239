// The row kinds of the two source texts: how the readers recognise each keyword field, and the
// column form in which the emitter spells the row's values.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace scenario {

enum class SourceKind { kLine, kTrain };

// Where a row kind is read: the line source's general section, or the body after it. The train
// source has no general section of its own for the reader: all its rows are body rows.
enum class RowSection { kGeneral, kBody };

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

struct RowForm {
  std::string_view name;     // short name of the kind, as the tool's messages call it
  std::string_view keyword;  // the keyword as the emitter writes it
  SourceKind source;
  RowSection section;
  bool (*matches)(std::string_view field);  // the reader's test on a keyword field
  std::span<const ValueForm> values;
};

// Every row kind of both sources, each source's kinds in the order in which its reader tests them.
std::span<const RowForm> row_forms();

// The row kinds of this source and section whose test the keyword field passes, in the reader's
// order. A reader reads the values of every kind listed, one kind after the other.
std::vector<const RowForm*> matching_row_forms(std::string_view field, SourceKind source,
                                               RowSection section);

// The source kind that a file name is for: NAME_linea.txt is a line source, NAME_TRAIN-.txt a
// train source. nullopt for other names.
std::optional<SourceKind> source_kind_of(std::string_view file_name);

}  // namespace scenario

// What every section, row kind and field of the two source texts means, as data: the one
// reference behind `scenario-tool explain`, docs/sources.md, the warnings of `check` and an
// editor's hover and completion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

enum class SourceKind { kLine, kTrain };

// Where a row kind is recognised: the line reader takes its general rows only in the line's
// [generale] section and its body rows only after it; the train reader takes every row kind
// anywhere after its [generale] header.
enum class RowScope { kLineGeneral, kLineBody, kTrain };

// Every row kind of both sources, in the order the readers test them: what the readers switch on.
enum class RowKindId : uint8_t {
  // The line source's [generale] section.
  kRouteLength,
  kProgressiveTre,
  kProgressiveDue,
  kProgressiveUno,
  kBackgroundUno,
  kBackgroundDue,
  kBackgroundTre,
  kRepetition,
  // The line body.
  kGradient,
  kCurve,
  kMountain,
  kSpeedBoard,
  kIndicationBoard,
  // The train source.
  kBrakeMass,
  kCoaches,
  kSpeed,
  kAdhesion,
  kClock,
  kSand,
  kSignal,
  kSlowdown,
  kCodeCut,
  kStation,
};
inline constexpr size_t kRowKindCount = 23;

enum class ValueType {
  kNumber,  // a whole number, or nothing (read as 0)
  kText,    // a board text or a station name, up to the next comma or line end
  kClock,   // the clock row's three numbers, apart by blanks in one field
};

// How the emitter spells one comma-separated field after the keyword: `blanks` fixed blanks
// before it, or, when `width` is set, as many blanks as right-align it in that many characters.
// `fmt` and `decompile` write the same.
struct ValueForm {
  ValueType type = ValueType::kNumber;
  int blanks = 0;
  int width = 0;
};

// One value of a row, in the order the reader takes them after the keyword.
struct FieldEntry {
  std::string_view name;
  std::string_view unit;       // "m", "km/h", ...; empty when the value has none
  std::string_view width;      // how the reader takes it: "32-bit", "16-bit", "byte" or "text"
  std::string_view range;      // the values an author should write
  std::string_view effect;     // what it becomes in the compiled files
  std::string_view bad_value;  // what the reader does with a value outside the range
  std::string_view builtin;    // the values the built-in scenario writes
  std::string_view example;    // one good value, for a sample row
};

// One row kind: a keyword field and the values that follow it.
struct RowKindEntry {
  RowKindId id;
  std::string_view keyword;  // the name authors write and look up ("stazione")
  SourceKind source;
  RowScope scope;
  std::string_view section;  // the header the row is written under ("[stazioni]")
  // The reader's recognition rule: the keyword field holds all of these, anywhere.
  std::span<const std::string_view> must_contain;
  bool case_sensitive;
  std::string_view written;      // the keyword field as the built-in scenario writes it
  std::string_view description;  // one paragraph
  std::span<const FieldEntry> fields;
  // The column form of each comma-separated field after the keyword, in the emitter's spelling.
  std::span<const ValueForm> columns;
  // Numbers of this row may also be separated by blanks alone (the built-in clock row).
  bool blank_separated = false;
};

// A section header of a source.
struct SectionEntry {
  SourceKind source;
  std::string_view header;  // "[stazioni]"
  RowScope scope;           // which row kinds the reader takes under it
  std::string_view description;
};

// How many values the reader takes after the keyword, and how many comma-separated fields a
// well-formed row spreads them over (fewer only where numbers may share a field).
struct FieldCount {
  int values = 0;
  int min_fields = 0;
  int max_fields = 0;
};

// Every row kind, per source in the order the reader tests them.
std::span<const RowKindEntry> row_kind_entries();
// Every section header, per source in the order the built-in scenario writes them.
std::span<const SectionEntry> section_entries();

// The row kind whose keyword is `keyword` (letters compared without case); null when none.
const RowKindEntry* find_row_kind(std::string_view keyword);
// True when a keyword field meets the kind's recognition rule.
bool recognises(const RowKindEntry& kind, std::string_view field);
// The row kinds of a scope whose recognition rule a keyword field meets, in the reader's order
// (a field can meet several rules, and the reader then reads each row in turn).
std::vector<const RowKindEntry*> row_kinds_matching(RowScope scope, std::string_view field);
// What an author may be asking about: the kind with that keyword, else every kind of either
// source whose rule the text meets ("curvad4", "ripetizione segnali 4 codici").
std::vector<const RowKindEntry*> lookup_row_kinds(std::string_view text);

// The row kinds whose reference text holds the words of a query, best first: a word counts
// with its case and accents ignored (UTF-8 or Windows-1252), as a whole word, a word it begins
// or one that differs in its last letter only (galleria, gallerie). Kinds that hold more of the
// words come first; among them, a word of the keyword weighs most, then the description's
// first sentence, the rest of it, then the fields. Words of one letter are passed over. Empty when
// no word is found.
std::vector<const RowKindEntry*> search_row_kinds(std::string_view query);
// The words of a text as search_row_kinds compares them: letters folded to plain lower case,
// cut at everything but letters and digits.
std::vector<std::string> folded_words(std::string_view text);

// The section header of a source; null when the source has no such header.
const SectionEntry* find_section(SourceKind source, std::string_view header);
// The row kinds that the reader takes under a section header of a source (empty for a header
// the source does not have).
std::vector<const RowKindEntry*> row_kinds_of_section(SourceKind source, std::string_view header);
// Their keywords, for completion and for "did you mean".
std::vector<std::string_view> keywords_of_section(SourceKind source, std::string_view header);

FieldCount field_count(const RowKindEntry& kind);

// The entry of a row kind id.
const RowKindEntry& row_kind(RowKindId id);

// The row kinds of a scope that a keyword field meets, in the readers' order, without
// allocating: writes their ids to out and returns how many. With curves false the curve kind
// is never met (the reader takes curve rows only while it builds the plan).
size_t match_row_kinds(RowScope scope, std::string_view field, bool curves,
                       RowKindId (&out)[kRowKindCount]);

// The keywords nearest to a misspelt word, nearest first (at most `limit`); a keyword counts
// as near when the word is close to it or to one of its words. Empty when none is near.
std::vector<std::string_view> nearest_keywords(std::string_view word,
                                               std::span<const RowKindEntry* const> among,
                                               size_t limit = 3);

// "line" or "train".
std::string_view source_name(SourceKind source);
// The sample row of a kind: its written keyword and every field's example value.
std::string example_row(const RowKindEntry& kind);

}  // namespace scenario

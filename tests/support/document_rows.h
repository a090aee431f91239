// Test helper: taking apart the rows of the emitted texts (source sections, comma fields,
// table cells between bars).
#pragma once

#include <string>
#include <vector>

namespace scenario::testing {

// A section of a source: the index of its header row and how many content rows follow it.
struct Section {
  int header;
  int rows;
};

// The section's content rows; empty when the file is too short to hold them.
std::vector<std::string> rows_of(const std::vector<std::string>& lines, Section s);

// The comma-separated fields of a row, blanks kept.
std::vector<std::string> split(const std::string& row);

// A field's leading integer (blanks before it allowed).
inline int num(const std::string& field) { return std::stoi(field); }

// s without its leading and trailing blanks.
std::string trim(const std::string& s);

// The cells of a table row: the text between consecutive bars.
std::vector<std::string> cells(const std::string& row);

}  // namespace scenario::testing

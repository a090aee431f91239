#include "support/document_rows.h"

namespace scenario::testing {

std::vector<std::string> rows_of(const std::vector<std::string>& lines, Section s) {
  if (lines.size() < static_cast<size_t>(s.header + 1 + s.rows)) return {};
  return {lines.begin() + s.header + 1, lines.begin() + s.header + 1 + s.rows};
}

std::vector<std::string> split(const std::string& row) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t comma; (comma = row.find(',', start)) != std::string::npos; start = comma + 1) {
    fields.push_back(row.substr(start, comma - start));
  }
  fields.push_back(row.substr(start));
  return fields;
}

std::string trim(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::vector<std::string> cells(const std::string& row) {
  std::vector<std::string> out;
  size_t bar = row.find('|');
  while (bar != std::string::npos) {
    const size_t next = row.find('|', bar + 1);
    if (next == std::string::npos) break;
    out.push_back(row.substr(bar + 1, next - bar - 1));
    bar = next;
  }
  return out;
}

}  // namespace scenario::testing

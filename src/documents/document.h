// One of the driver's documents as built: its rows and what had to be cut or could not be met.
#pragma once

#include <string>
#include <vector>

namespace scenario::documents {

struct Document {
  std::vector<std::string> rows;      // Windows-1252, without line ends
  std::vector<std::string> warnings;  // UTF-8, one sentence each
};

// text cut to width characters; a cut adds a warning naming what (UTF-8) and where.
std::string fitted(const std::string& text, size_t width, const std::string& what,
                   std::vector<std::string>& warnings);

}  // namespace scenario::documents

#include "source/edit_distance.h"

#include <algorithm>
#include <vector>

#include "source/text_match.h"

namespace scenario {

size_t edit_distance(std::string_view a, std::string_view b) {
  // One row of the table at a time, so memory grows with b alone.
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t up = row[j];
      const bool same = ascii_lower(a[i - 1]) == ascii_lower(b[j - 1]);
      row[j] = std::min({up + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = up;
    }
  }
  return row[b.size()];
}

}  // namespace scenario

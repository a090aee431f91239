#include "emitter/row_list.h"

#include <stdexcept>

namespace scenario {

void RowList::fill(std::span<const std::string_view> content) {
  if (content.size() >= static_cast<size_t>(kRows)) {
    throw std::length_error("a row list holds at most 1000 content rows");
  }
  for (size_t i = 0; i < content.size(); ++i) {
    if (content[i] == kEndMarker)
      throw std::invalid_argument("a content row equals the end marker");
    rows[i] = std::string(content[i]);
  }
  rows[content.size()] = std::string(kEndMarker);
}

}  // namespace scenario

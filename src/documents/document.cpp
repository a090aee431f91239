#include "documents/document.h"

#include "inspect/display_text.h"

namespace scenario::documents {

std::string fitted(const std::string& text, size_t width, const std::string& what,
                   std::vector<std::string>& warnings) {
  if (text.size() <= width) return text;
  const std::string cut = text.substr(0, width);
  warnings.push_back(what + " '" + display_text(text) + "' is longer than its " +
                     std::to_string(width) + " characters: written as '" + display_text(cut) + "'");
  return cut;
}

}  // namespace scenario::documents

#include "tool/text_wrap.h"

namespace scenario::tool {

std::string wrap(std::string_view text, const std::string& first, const std::string& indent) {
  std::string out = first;
  size_t column = first.size();
  bool line_empty = true;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    size_t end = text.find(' ', i);
    if (end == std::string_view::npos) end = text.size();
    if (end == i) break;
    const std::string_view word = text.substr(i, end - i);
    if (!line_empty && column + 1 + word.size() > kTextWidth) {
      out += "\n" + indent;
      column = indent.size();
      line_empty = true;
    }
    if (!line_empty) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    line_empty = false;
    i = end;
  }
  return out + "\n";
}

}  // namespace scenario::tool

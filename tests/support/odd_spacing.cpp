#include "support/odd_spacing.h"

#include <span>
#include <vector>

#include "emitter/emitters.h"
#include "support/emitted.h"

namespace scenario::testing {
namespace {

class Draw {
 public:
  explicit Draw(uint32_t seed) : state_(seed * 2654435761u + 1) {}
  uint32_t below(uint32_t n) {
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) % n;
  }
  std::string blanks(uint32_t max) {
    std::string s;
    for (uint32_t n = below(max + 1); n > 0; --n) s += below(4) == 0 ? '\t' : ' ';
    return s;
  }

 private:
  uint32_t state_;
};

bool only_numbers_and_blanks(std::string_view f) {
  bool digit = false;
  for (const char c : f) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c != ' ' && c != '-') {
      return false;
    }
  }
  return digit;
}

// A field (the text between two commas) respaced: new blanks around it, and new runs between
// the numbers of a field that holds only numbers.
std::string respace_field(std::string_view f, Draw& d) {
  const size_t first = f.find_first_not_of(' ');
  if (first == std::string_view::npos) return d.blanks(3);
  const size_t last = f.find_last_not_of(' ');
  std::string_view core = f.substr(first, last - first + 1);
  std::string body;
  if (only_numbers_and_blanks(core)) {
    for (size_t i = 0; i < core.size(); ++i) {
      if (core[i] != ' ') {
        body += core[i];
        continue;
      }
      while (i + 1 < core.size() && core[i + 1] == ' ') ++i;
      body += ' ' + d.blanks(3);
    }
  } else {
    body = core;
  }
  return d.blanks(3) + body + d.blanks(2);
}

std::string lines_of(std::span<const std::string> lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

}  // namespace

std::string odd_spacing(std::string_view source, uint32_t seed) {
  Draw d(seed);
  std::string out;
  size_t start = 0;
  while (start < source.size()) {
    const size_t end = source.find("\r\n", start);
    const std::string_view line = source.substr(start, end - start);
    size_t p = 0;
    while (true) {
      const size_t comma = line.find(',', p);
      out += respace_field(line.substr(p, comma - p), d);
      if (comma == std::string_view::npos) break;
      out += ',';
      p = comma + 1;
    }
    static constexpr const char* kEnds[] = {"\r\n", "\n", "\r"};
    out += kEnds[d.below(3)];
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  return out;
}

std::string builtin_line_source() {
  return lines_of(emitted_lines(dati_linea, "Lindeva_Querno_linea.txt"));
}
std::string builtin_train_source() {
  return lines_of(emitted_lines(dati_treno, "Lindeva_Querno_40716-.txt"));
}
std::string formatted_builtin_train_source() {
  std::string s = builtin_train_source();
  const size_t clock = s.find("\r\norologio,");
  const size_t end = s.find(" \r\n", clock);
  if (clock != std::string::npos && end != std::string::npos) s.erase(end, 1);
  return s;
}

}  // namespace scenario::testing

#include "import/names.h"

#include "format/cp1252.h"

namespace scenario::import {
namespace {

// The base letter of U+0100 to U+024F ('?' where there is none).
constexpr std::string_view kLatinExtended =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOoOo??RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs"
    "b??????????????????????I????????Oo???????S?????Uu???????????????"
    "????DDdLLlNNnAaIiOoUuUuUuUuUu?AaAa????GgKkOoOo??jDDdGg??NnAa????"
    "AaAaEeEeIiIiOoOoRrRrUuUuSsTt??Hh??????AaEeOoOoOoOoYy????????????"
    "????????????????";

}  // namespace

std::string name_to_cp1252(std::string_view utf8, bool& transliterated) {
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const size_t n = c < 0x80 ? 1 : c >> 5 == 6 ? 2 : c >> 4 == 14 ? 3 : c >> 3 == 30 ? 4 : 1;
    const std::string_view one = utf8.substr(i, n);
    i += n;
    const std::string converted = utf8_to_cp1252(one);
    if (converted != "?" || one == "?") {
      out += converted;
      continue;
    }
    char32_t cp = 0;
    if (n == 2) cp = (c & 0x1F) << 6 | (one[1] & 0x3F);
    if (cp >= 0x100 && cp < 0x100 + kLatinExtended.size()) {
      out += kLatinExtended[cp - 0x100];
    } else if (cp == 0x2019 || cp == 0x2018) {
      out += '\'';
    } else {
      out += '?';
    }
    transliterated = true;
  }
  return out;
}

std::string upper_cp1252(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z') {
      ch = static_cast<char>(c - 32);
    } else if (c >= 0xE0 && c != 0xF7 && c != 0xFF) {
      ch = static_cast<char>(c - 32);  // the Latin-1 letters: capital 32 below
    } else if (c == 0x9A || c == 0x9C || c == 0x9E) {
      ch = static_cast<char>(c - 16);  // š œ ž
    }
  }
  return out;
}

}  // namespace scenario::import

#include "format/cp1252.h"

#include <cstdint>

namespace scenario {
namespace {

// Code points 0x80 to 0x9F of Windows-1252, indexed by byte - 0x80 (0 where undefined).
constexpr char32_t kHighTable[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char to_cp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHighTable[i] != 0 && kHighTable[i] == cp) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

char32_t cp1252_code_point(unsigned char byte) {
  if (byte < 0x80 || byte >= 0xA0) return byte;
  const char32_t cp = kHighTable[byte - 0x80];
  return cp != 0 ? cp : 0xFFFD;
}

std::string utf8_to_cp1252(std::string_view in) {
  // Most rows are plain ASCII, the same bytes in both encodings: copied at once up to the first
  // byte that is not.
  size_t i = 0;
  while (i < in.size() && static_cast<uint8_t>(in[i]) < 0x80) ++i;
  std::string out;
  out.reserve(in.size());
  out.assign(in.substr(0, i));
  while (i < in.size()) {
    const auto b = static_cast<uint8_t>(in[i]);
    int extra = 0;
    char32_t cp = 0;
    if (b < 0x80) {
      cp = b;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F;
      extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F;
      extra = 2;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07;
      extra = 3;
    } else {
      out.push_back('?');  // a stray continuation byte
      ++i;
      continue;
    }
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= in.size() || (static_cast<uint8_t>(in[i + k]) & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      cp = (cp << 6) | (static_cast<uint8_t>(in[i + k]) & 0x3F);
    }
    if (!valid) {
      out.push_back('?');
      ++i;
      continue;
    }
    out.push_back(to_cp1252(cp));
    i += extra + 1;
  }
  return out;
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string cp1252_to_utf8(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  for (const char ch : in) append_utf8(out, cp1252_code_point(static_cast<unsigned char>(ch)));
  return out;
}

}  // namespace scenario

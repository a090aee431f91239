#include "format/cp1252.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(Cp1252, ConvertsAccentsAndDegreeToOneByte) {
  struct Case {
    const char* utf8;
    std::string cp1252;
  } cases[] = {
      {"", ""},
      {"abc", "abc"},
      {"N\u00b0 12", "N\xb0 12"},
      {"citt\u00e0 perch\u00e9 \u00f2", "citt\xe0 perch\xe9 \xf2"},
      {"\u20ac", "\x80"},
      {"\u4e2d", "?"},
  };
  for (const auto& c : cases) EXPECT_EQ(utf8_to_cp1252(c.utf8), c.cp1252) << c.utf8;
}

// Every defined byte reads back as the code point that converts to it again; the five bytes the
// code page leaves open read as U+FFFD.
TEST(Cp1252, CodePointsOfEveryByteRoundTrip) {
  const auto utf8 = [](char32_t cp) {
    std::string s;
    if (cp < 0x80) {
      s += static_cast<char>(cp);
    } else if (cp < 0x800) {
      s += static_cast<char>(0xC0 | (cp >> 6));
      s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      s += static_cast<char>(0xE0 | (cp >> 12));
      s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
  };
  int undefined = 0;
  for (int b = 0; b < 256; ++b) {
    const char32_t cp = cp1252_code_point(static_cast<unsigned char>(b));
    if (cp == 0xFFFD) {
      ++undefined;
      continue;
    }
    EXPECT_EQ(utf8_to_cp1252(utf8(cp)), std::string(1, static_cast<char>(b))) << b;
  }
  EXPECT_EQ(undefined, 5);
  EXPECT_EQ(cp1252_code_point(0x80), U'\u20ac');
  EXPECT_EQ(cp1252_code_point(0x9F), U'\u0178');
  EXPECT_EQ(cp1252_code_point(0xE0), U'\u00e0');
}

}  // namespace
}  // namespace scenario

#include "emitter/cp1252.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(Cp1252, ConvertsAccentsAndDegreeToOneByte) {
  struct Case {
    const char* utf8;
    std::string cp1252;
  } cases[] = {
      {"abc", "abc"},
      {"N\u00b0 12", "N\xb0 12"},
      {"citt\u00e0 perch\u00e9 \u00f2", "citt\xe0 perch\xe9 \xf2"},
      {"\u20ac", "\x80"},
      {"\u4e2d", "?"},
  };
  for (const auto& c : cases) EXPECT_EQ(utf8_to_cp1252(c.utf8), c.cp1252) << c.utf8;
}

}  // namespace
}  // namespace scenario

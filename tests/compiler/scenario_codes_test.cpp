#include "compiler/scenario_codes.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(ScenarioCodes, CodesOfTheIdentity) {
  const struct {
    const char* train;
    const char* name;
    const char* id;
    int16_t plain;
    int32_t weighted;
  } cases[] = {
      {"1", "abc", "1abcaabbccddeeffgghhiillm", 2486, 33517},
      {"", "", "aabbccddeeffgghhiillmmnno", 2583, 34355},
      {"1", "ABC", "1abcaabbccddeeffgghhiillm", 2486, 33517},
  };
  for (const auto& c : cases) {
    GeneralTable t;
    t[86].text = c.train;
    t[85].text = c.name;
    EXPECT_EQ(scenario_id(t), c.id);
    EXPECT_EQ(codice_gara_og(t), c.plain) << c.id;
    EXPECT_EQ(codice_gara_st(t), c.weighted) << c.id;
  }
}

TEST(ScenarioCodes, OnlyTheFirst25CharactersCount) {
  GeneralTable a, b;
  a[86].text = "40716";
  a[85].text = "Lindeva_Querno_abcdefgh";  // 28 characters with the train number
  b[86].text = "40716";
  b[85].text = "Lindeva_Querno_abcdeXYZW";
  EXPECT_EQ(scenario_id(a).size(), 25u);
  EXPECT_EQ(codice_gara_og(a), codice_gara_og(b));
  EXPECT_EQ(codice_gara_st(a), codice_gara_st(b));
  // The largest possible codes still fit their widths.
  GeneralTable top;
  top[86].text = std::string(25, '\xFF');
  EXPECT_EQ(codice_gara_og(top), 6375);
  EXPECT_EQ(codice_gara_st(top), 82875);
}

}  // namespace
}  // namespace scenario

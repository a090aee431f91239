#include "format/file_names.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(FileNames, TheEightFilesOfTheBuiltInIdentity) {
  const std::vector<std::string> expected = {
      "Lindeva_Querno_linea.txt",
      "Lindeva_Querno_40716-.txt",
      "Lindeva_Querno_40716_scheda_treno.txt",
      "Lindeva_Querno_40716_rallentamenti.txt",
      "Lindeva_Querno_40716_note.txt",
      "Lindeva_Querno_linea.dat",
      "Lindeva_Querno_40716.sim",
      "Lindeva_Querno_40716.dat",
  };
  EXPECT_EQ(scenario_file_names({"Lindeva_Querno", "40716"}), expected);
}

TEST(FileNames, KindByEnding) {
  const std::pair<const char*, FileKind> cases[] = {
      {"dir/A_linea.dat", FileKind::kCurve}, {"A_1.dat", FileKind::kTrack},
      {"A_1.sim", FileKind::kGeneral},       {"A_linea.txt", FileKind::kLineSource},
      {"A_1-.txt", FileKind::kTrainSource},  {"A_1_note.txt", FileKind::kUnknown},
      {"A_1.sim.bak", FileKind::kUnknown},   {"", FileKind::kUnknown},
  };
  for (const auto& [path, kind] : cases) EXPECT_EQ(file_kind(path), kind) << path;
}

TEST(FileNames, IdentityCheckRefusesUnsafeTextsAndCollidingNames) {
  struct Case {
    Identity id;
    const char* problem;  // a part of the reason; null when the identity is sound
  };
  const Case cases[] = {
      {{"Lindeva_Querno", "40716"}, nullptr},
      {{"A", "lineare"}, nullptr},
      // The track file would be A_linea.dat, the curve file's name: one would replace the other.
      {{"A", "linea"}, "gives two files the name A_linea.dat"},
      // The simulator's file system does not tell case apart.
      {{"A", "LINEA"}, "gives two files the name A_LINEA.dat"},
      {{"", "1"}, "the scenario name is empty"},
      {{"A", ""}, "the train number is empty"},
      {{"A", "../1"}, "path separator"},
      {{"A/B", "1"}, "path separator"},
      {{"A", "1\x01"}, "control character"},
      {{"A\xC3\xA8", "1"}, "outside ASCII"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id.name + " / " + c.id.train);
    const std::optional<std::string> p = identity_check(c.id);
    if (c.problem == nullptr) {
      EXPECT_FALSE(p.has_value()) << *p;
    } else {
      ASSERT_TRUE(p.has_value());
      EXPECT_NE(p->find(c.problem), std::string::npos) << *p;
    }
  }
}

}  // namespace
}  // namespace scenario

// The slowdown order as the emitter writes it: the form, its table and the one slowdown.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "emitter/emitters.h"
#include "support/document_rows.h"
#include "support/emitted.h"

namespace scenario {
namespace {

using testing::cells;
using testing::emitted_lines;
using testing::trim;

constexpr const char* kFile = "Lindeva_Querno_40716_rallentamenti.txt";
constexpr size_t kEntryRow = 13;

const std::string kEmptyRow =
    " |   |                            |            |          |         |            |";
const std::string kUnderline =
    " |___|____________________________|____________|__________|_________|____________|";

std::vector<std::string> order() { return emitted_lines(&dati_rallentamenti, kFile); }

TEST(RallentamentiContent, EveryFixedRowStandsAtItsIndex) {
  const auto lines = order();
  ASSERT_EQ(lines.size(), 32u);
  const std::pair<size_t, std::string> fixed[] = {
      {0, ""},
      {1, "                               Modulo M. 3"},
      {2, "                           ORDINE DI RALLENTAMENTO"},
      {3, " " + std::string(80, '_')},
      {4, "  Linea  LINDEVA - QUERNO"},
      {5, ""},
      {6, "  Si ordina al macchinista del treno 40716 di effettuare i seguenti rallentamenti"},
      {7, "  " + std::string(79, '_')},
      {8, " |   |                            |Inizio dopo |          |         |            |"},
      {9, " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|"},
      {10, " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |"},
      {11, kUnderline},
      {12, kEmptyRow},
      {14, kEmptyRow},
      {15, " | 2 |                            |            |          |         |            |"},
      {16, kEmptyRow},
      {17, kEmptyRow},
      {18, kEmptyRow},
      {19, kEmptyRow},
      {20, kUnderline},
      {21, ""},
      {22, "              Prescrizioni specifiche"},
      {23, ""},
      {24, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
      {25, ""},
      {26, " B - Interessa anche la stazione di  GALLIANO"},
      {27, ""},
      {28, " D - Rallentamneto N. ... e N. ...  sono contigui"},
      {29, ""},
      {30, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
      {31, "     i giorni esclusi i seguenti:........."},
  };
  for (const auto& [index, text] : fixed) EXPECT_EQ(lines[index], text) << "row " << index;
}

TEST(RallentamentiContent, TableRowsKeepTheirBarsAndWidth) {
  const auto lines = order();
  ASSERT_EQ(lines.size(), 32u);
  const std::vector<size_t> bars = {1, 5, 34, 47, 58, 68, 81};
  for (size_t i = 8; i <= 20; ++i) {
    EXPECT_EQ(lines[i].size(), 82u) << "row " << i;
    std::vector<size_t> found;
    for (size_t c = 0; c < lines[i].size(); ++c) {
      if (lines[i][c] == '|') found.push_back(c);
    }
    EXPECT_EQ(found, bars) << "row " << i << ": " << lines[i];
  }
}

TEST(RallentamentiContent, EntryRowCellsHaveTheirForms) {
  const auto lines = order();
  ASSERT_EQ(lines.size(), 32u);
  const auto c = cells(lines[kEntryRow]);
  ASSERT_EQ(c.size(), 6u);
  EXPECT_EQ(c[0], " 1 ");
  EXPECT_EQ(c[1].size(), 28u);
  EXPECT_EQ(c[1][0], ' ');
  EXPECT_NE(c[1][1], ' ');
  EXPECT_EQ(c[2], "     22     ");
  EXPECT_EQ(c[3], "   100    ");
  EXPECT_EQ(c[4], "   1200  ");
  EXPECT_EQ(c[5], "     B      ");
}

// The train source's slowdown: 100 km/h over 1200 m, from CORVARA SCALO to
// GALLIANO; prescription B concerns the second station.
TEST(RallentamentiContent, AgreesWithTheTrainsSlowdown) {
  const auto lines = order();
  ASSERT_EQ(lines.size(), 32u);
  const auto c = cells(lines[kEntryRow]);
  ASSERT_EQ(c.size(), 6u);
  EXPECT_EQ(trim(c[3]), "100");
  EXPECT_EQ(trim(c[4]), "1200");
  EXPECT_EQ(trim(c[5]), "B");

  const std::string between = trim(c[1]);
  const size_t joint = between.find(" e ");
  ASSERT_NE(joint, std::string::npos) << between;
  const std::string from = between.substr(0, joint), to = between.substr(joint + 3);
  EXPECT_EQ(from, "CORVARA SCALO");
  EXPECT_EQ(to, "GALLIANO");
  EXPECT_EQ(c[1], " CORVARA SCALO e GALLIANO   ");  // one blank before, padded to the cell

  const std::string b_row = " B - Interessa anche la stazione di  ";
  ASSERT_EQ(lines[26].compare(0, b_row.size(), b_row), 0);
  EXPECT_EQ(lines[26].substr(b_row.size()), "GALLIANO");
  EXPECT_NE(lines[6].find(" 40716 "), std::string::npos);
}

}  // namespace
}  // namespace scenario

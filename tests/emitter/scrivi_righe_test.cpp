// The common write procedure: rows as Windows-1252 lines ended by CR LF, up to the marker.
#include "emitter/scrivi_righe.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

struct Written {
  TempDir dir;
  BuildState state;
  std::string bytes;
};

std::unique_ptr<Written> write_rows(const std::vector<std::pair<int, std::string>>& rows,
                                    const std::string& earlier = "") {
  auto w = std::make_unique<Written>();
  auto list = std::make_unique<RowList>();
  for (const auto& [i, text] : rows) list->rows[static_cast<size_t>(i)] = text;
  const std::string path = w->dir.file("out.txt");
  if (!earlier.empty()) write_file(path, earlier);
  scrivi_righe(w->state, *list, path);
  w->bytes = read_file(path);
  return w;
}

TEST(ScriviRighe, LinesAsTheyStand) {
  const auto w = write_rows({{0, "[generale]"},
                             {1, ""},
                             {2, "orologio,  6  54 "},
                             {3, "N\u00b0 12 citt\u00e0"},
                             {4, std::string(kEndMarker)},
                             {5, "never written"}});
  EXPECT_EQ(w->bytes, "[generale]\r\n\r\norologio,  6  54 \r\nN\xb0 12 citt\xe0\r\n");
  EXPECT_EQ(w->state.loop_counter, 4);
}

TEST(ScriviRighe, MarkerAtIndexZeroGivesAnEmptyFile) {
  const auto w = write_rows({{0, std::string(kEndMarker)}, {1, "x"}}, std::string(500, 'o'));
  EXPECT_EQ(w->bytes, "");
  EXPECT_EQ(w->state.loop_counter, 0);
}

TEST(ScriviRighe, ALongerEarlierFileIsReplacedWhole) {
  const auto w = write_rows({{0, "short"}, {1, std::string(kEndMarker)}}, std::string(5000, 'o'));
  EXPECT_EQ(w->bytes, "short\r\n");
}

TEST(ScriviRighe, WithoutAMarkerItStopsAtTheLastIndex) {
  std::vector<std::pair<int, std::string>> rows;
  for (int i = 0; i <= 1000; ++i) rows.push_back({i, "r"});
  const auto w = write_rows(rows);
  EXPECT_EQ(w->bytes.size(), 1000u * 3);
  EXPECT_EQ(w->state.loop_counter, 1000);
}

TEST(RowList, RefusesTheMarkerAsContentAndTooManyRows) {
  RowList list;
  const std::string_view marker[] = {kEndMarker};
  EXPECT_THROW(list.fill(marker), std::invalid_argument);
  std::vector<std::string_view> many(1001, "x");
  EXPECT_THROW(list.fill(many), std::length_error);
}

}  // namespace
}  // namespace scenario

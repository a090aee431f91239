// Deleting the sources after reading them.
#include "line_reader/reader_context.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "line_reader/read_failure.h"
#include "model/build_state.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

TEST(DeleteSource, GoesIfItCanAndSaysWhyIfItCannot) {
  TempDir dir;
  BuildState s;
  write_file(dir.file("a.txt"), "x");
  delete_source(s, dir.file("a.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir.file("a.txt")));
  EXPECT_NO_THROW(delete_source(s, dir.file("a.txt")));  // already gone: nothing to do

  // Something of that name that cannot be unlinked: the reading fails with the reason.
  std::filesystem::create_directory(dir.file("b.txt"));
  try {
    delete_source(s, dir.file("b.txt"));
    ADD_FAILURE() << "no failure";
  } catch (const ReadFailure& e) {
    EXPECT_NE(std::string(e.what()).find("cannot delete " + dir.file("b.txt")), std::string::npos)
        << e.what();
  }
  EXPECT_NO_THROW(delete_source_if_possible(s, dir.file("b.txt")));

  write_file(dir.file("c.txt"), "x");
  s.keep_sources = true;
  delete_source(s, dir.file("c.txt"));
  EXPECT_TRUE(std::filesystem::exists(dir.file("c.txt")));
}

}  // namespace
}  // namespace scenario::testing

// The stores the sources are read from, and what each does with a source once read.
#include "source/source_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "source/read_failure.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

TEST(DirectorySources, DeletingGoesIfItCanAndSaysWhyIfItCannot) {
  TempDir dir;
  DirectorySources s(dir.path(), DirectorySources::Policy::kDelete);
  write_file(dir.file("a.txt"), "x");
  EXPECT_EQ(s.load("a.txt"), "x");
  s.done("a.txt");
  EXPECT_FALSE(std::filesystem::exists(dir.file("a.txt")));
  EXPECT_NO_THROW(s.done("a.txt"));  // already gone: nothing to do
  EXPECT_EQ(s.load("a.txt"), std::nullopt);

  // Something of that name that cannot be unlinked: the reading fails with the reason.
  std::filesystem::create_directory(dir.file("b.txt"));
  try {
    s.done("b.txt");
    ADD_FAILURE() << "no failure";
  } catch (const ReadFailure& e) {
    EXPECT_NE(std::string(e.what()).find("cannot delete " + dir.file("b.txt")), std::string::npos)
        << e.what();
  }
  EXPECT_NO_THROW(s.discard("b.txt"));
  EXPECT_THROW(s.load("b.txt"), ReadFailure);  // a directory is no source

  write_file(dir.file("c.txt"), "x");
  s.discard("c.txt");
  EXPECT_FALSE(std::filesystem::exists(dir.file("c.txt")));
}

TEST(DirectorySources, KeepingAndInMemoryTouchNothing) {
  TempDir dir;
  write_file(dir.file("c.txt"), "x");
  DirectorySources kept(dir.path(), DirectorySources::Policy::kKeep);
  kept.done("c.txt");
  kept.discard("c.txt");
  EXPECT_TRUE(std::filesystem::exists(dir.file("c.txt")));

  MemorySources memory;
  memory.set("c.txt", "y");
  EXPECT_EQ(memory.load("c.txt"), "y");
  EXPECT_EQ(memory.load("d.txt"), std::nullopt);
  memory.done("c.txt");
  EXPECT_EQ(memory.load("c.txt"), "y");
  EXPECT_EQ(read_file(dir.file("c.txt")), "x");
}

}  // namespace
}  // namespace scenario::testing

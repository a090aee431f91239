// The lock a run holds on the directory it writes into.
#include "format/directory_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "format/file_error.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::list_dir;
using testing::TempDir;
using testing::write_file;

// Two opens of a directory lock against each other even in one process, so a thread stands
// for the second run.
TEST(DirectoryLock, ASecondHolderWaitsForTheFirst) {
  TempDir dir;
  auto first = std::make_unique<DirectoryLock>(dir.path());
  std::atomic<bool> second_holds{false};
  std::thread second([&] {
    const DirectoryLock lock(dir.path());
    second_holds = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(second_holds) << "the second lock did not wait";
  first.reset();
  second.join();
  EXPECT_TRUE(second_holds);
  EXPECT_TRUE(list_dir(dir.path()).empty()) << "a lock file was left";
}

TEST(DirectoryLock, WhatCannotBeLockedIsAnErrorNamingIt) {
  TempDir dir;
  write_file(dir.file("file"), "x");
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {dir.file("missing"), "cannot open: No such file or directory"},
      {dir.file("file"), "cannot open: Not a directory"},
  };
  for (const auto& c : cases) {
    try {
      const DirectoryLock lock(c.path);
      ADD_FAILURE() << c.path << ": no error";
    } catch (const FileError& e) {
      EXPECT_EQ(e.path(), c.path);
      EXPECT_EQ(e.reason(), c.reason);
    }
  }
}

}  // namespace
}  // namespace scenario

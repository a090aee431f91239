// Writing a file only when its bytes change: the same bytes leave the file untouched, time
// stamp and inode included; any difference replaces it whole, as FileReplacer does.
#include "format/update_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "format/file_error.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::list_dir;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

struct stat stat_of(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st;
}

// A time stamp well in the past, so that any rewrite shows.
void age(const std::string& path) {
  const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// Streams bytes as the image writers do: single bytes through put, runs through write, and
// runs longer than the buffer.
bool update(const std::string& path, const std::string& bytes) {
  FileUpdater out(path);
  size_t at = 0;
  for (; at < bytes.size() && at < 1000; ++at) out.put(static_cast<uint8_t>(bytes[at]));
  while (at < bytes.size()) {
    const size_t n = std::min<size_t>(bytes.size() - at, at % 2 == 0 ? 70000 : 3000);
    out.write(bytes.data() + at, n);
    at += n;
  }
  return out.commit();
}

std::string pattern(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i * 7 % 251);
  return s;
}

TEST(UpdateFile, TheSameBytesLeaveTheFileUntouched) {
  for (const size_t size : {size_t{0}, size_t{5}, size_t{65536}, size_t{300001}}) {
    SCOPED_TRACE(size);
    TempDir dir;
    const std::string path = dir.file("a.dat");
    write_file(path, pattern(size));
    chmod(path.c_str(), 0640);
    age(path);
    const struct stat before = stat_of(path);
    EXPECT_FALSE(update(path, pattern(size)));
    const struct stat after = stat_of(path);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(after.st_mode & 0777, 0640u);
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"a.dat"});
  }
}

TEST(UpdateFile, AnyDifferenceReplacesTheFileWhole) {
  const std::string old = pattern(300001);
  const auto changed_at = [&](size_t at) {
    std::string s = old;
    s[at] = static_cast<char>(s[at] + 1);
    return s;
  };
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"the first byte", changed_at(0)},
      {"a byte within the first buffer", changed_at(999)},
      {"a byte past several buffers", changed_at(200000)},
      {"the last byte", changed_at(old.size() - 1)},
      {"longer", old + "x"},
      {"shorter by one byte", old.substr(0, old.size() - 1)},
      {"shorter by a buffer and more", old.substr(0, 100000)},
      {"empty", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string path = dir.file("a.dat");
    write_file(path, old);
    chmod(path.c_str(), 0640);
    age(path);
    EXPECT_TRUE(update(path, c.bytes));
    EXPECT_TRUE(read_file(path) == c.bytes);
    EXPECT_NE(stat_of(path).st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(stat_of(path).st_mode & 0777, 0640u);
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"a.dat"});
  }
}

TEST(UpdateFile, WhatIsNoRegularFileIsRefusedNeverComparedThrough) {
  TempDir dir;
  const std::string bytes = pattern(1000);
  // Missing: created.
  EXPECT_TRUE(update(dir.file("new.dat"), bytes));
  EXPECT_EQ(read_file(dir.file("new.dat")), bytes);
  // A link to a file of the same bytes: refused, the link and its target stay as they were.
  write_file(dir.file("target.dat"), bytes);
  age(dir.file("target.dat"));
  ASSERT_EQ(symlink("target.dat", dir.file("link.dat").c_str()), 0);
  EXPECT_THROW(update(dir.file("link.dat"), bytes), FileError);
  struct stat st;
  ASSERT_EQ(lstat(dir.file("link.dat").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(stat_of(dir.file("target.dat")).st_mtim.tv_sec, 1000000000);
  // A FIFO is refused at once: never opened for a writer that never comes.
  ASSERT_EQ(mkfifo(dir.file("fifo.dat").c_str(), 0644), 0);
  EXPECT_THROW(update(dir.file("fifo.dat"), bytes), FileError);
  ASSERT_EQ(lstat(dir.file("fifo.dat").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(UpdateFile, AnAbandonedUpdateLeavesTheEarlierFileAndNoTemporaryFile) {
  TempDir dir;
  const std::string path = dir.file("a.dat");
  const std::string old = pattern(200000);
  write_file(path, old);
  {
    FileUpdater out(path);
    out.write(pattern(150000));
    out.write(std::string(100000, 'z'));  // differs: a temporary file now exists
  }
  EXPECT_EQ(read_file(path), old);
  EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"a.dat"});
}

}  // namespace
}  // namespace scenario

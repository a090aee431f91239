// Whole-file replacement: a new file replaces the old one whole, a failed one leaves it.
#include "format/replace_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "format/file_error.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::file_exists;
using testing::list_dir;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

TEST(ReplaceFile, ReplacesALongerFileWhole) {
  TempDir dir;
  const std::string path = dir.file("a.dat");
  write_file(path, std::string(10000, 'x'));
  replace_file(path, "new");
  EXPECT_EQ(read_file(path), "new");
  replace_file(path, "new");
  EXPECT_EQ(read_file(path), "new");
  EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"a.dat"});
}

TEST(ReplaceFile, StreamsLargeImagesThroughTheBuffer) {
  TempDir dir;
  const std::string path = dir.file("big.dat");
  FileReplacer out(path);
  std::string expected;
  for (int i = 0; i < 300000; ++i) {
    const char c = static_cast<char>('a' + i % 26);
    out.put(static_cast<uint8_t>(c));
    expected += c;
  }
  const std::string chunk(200000, 'z');
  out.write(chunk);
  expected += chunk;
  out.commit();
  EXPECT_EQ(read_file(path), expected);
}

TEST(ReplaceFile, AFailedWriteLeavesTheEarlierFile) {
  TempDir dir;
  const std::string path = dir.file("a.dat");
  const std::string earlier(5000, 'e');
  write_file(path, earlier);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // A file size limit reached in the middle of the write, as on a full disk.
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {100000, 100000};
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
      replace_file(path, std::string(1 << 20, 'n'));
    } catch (const FileError& e) {
      _exit(std::string(e.what()).find("a.dat") != std::string::npos ? 7 : 8);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
  EXPECT_EQ(read_file(path), earlier);
  EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"a.dat"});
}

TEST(ReplaceFile, AMissingDirectoryIsAnErrorNamingTheFile) {
  TempDir dir;
  try {
    replace_file(dir.file("no/such/a.dat"), "x");
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("no/such/a.dat"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos);
  }
}

TEST(ReplaceFile, AnAbandonedWriteLeavesNoTemporaryFile) {
  TempDir dir;
  {
    FileReplacer out(dir.file("a.dat"));
    out.write("partial");
  }
  EXPECT_TRUE(list_dir(dir.path()).empty());
}

}  // namespace
}  // namespace scenario

// Whole-file replacement: a new file replaces the old one whole, a failed one leaves it.
#include "format/replace_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

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

// An exchange puts the file in place as a rename does, and leaves nothing of the old one.
TEST(ReplaceFile, AnExchangeReplacesAsARenameDoes) {
  TempDir dir;
  const auto exchange = [](const std::string& path, const std::string& bytes) {
    FileReplacer out(path);
    out.write(bytes);
    out.commit(FileReplacer::Swap::kExchange);
  };
  const std::string path = dir.file("a.dat");
  exchange(path, "first");  // nothing to exchange with
  EXPECT_EQ(read_file(path), "first");
  chmod(path.c_str(), 0600);
  exchange(path, std::string(10000, 'x'));
  EXPECT_EQ(read_file(path), std::string(10000, 'x'));
  exchange(path, "short");
  EXPECT_EQ(read_file(path), "short");
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // A link at the target is refused, never exchanged through: link and target stay.
  write_file(dir.file("b.dat"), "b");
  ASSERT_EQ(symlink("b.dat", dir.file("link.dat").c_str()), 0);
  EXPECT_THROW(exchange(dir.file("link.dat"), "new"), FileError);
  EXPECT_EQ(read_file(dir.file("b.dat")), "b");
  ASSERT_EQ(lstat(dir.file("link.dat").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  // A folder is not replaced by a file.
  std::filesystem::create_directory(dir.file("d.dat"));
  EXPECT_THROW(exchange(dir.file("d.dat"), "x"), FileError);
  EXPECT_EQ(list_dir(dir.path()),
            (std::vector<std::string>{"a.dat", "b.dat", "d.dat", "link.dat"}));
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

// A set of files is replaced whole or not at all. The second file's bytes stay in the buffer
// until it is put in place, so a file size limit fails it after the first is in: the first
// then gets its earlier file back, or goes again when it had none.
TEST(ReplaceFiles, AllOrNone) {
  const std::string big(5000, 'n');
  const struct {
    const char* what;
    std::optional<std::string> earlier_a;
    bool fails;
  } cases[] = {
      {"both replaced", "earlier a", false},
      {"the second fails: the first given back", "earlier a", true},
      {"the second fails: the first, new, removed again", std::nullopt, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    if (c.earlier_a) write_file(dir.file("a.dat"), *c.earlier_a);
    write_file(dir.file("b.dat"), "earlier b");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (c.fails) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      try {
        replace_files({{dir.file("a.dat"), "new a"}, {dir.file("b.dat"), big}});
      } catch (const FileError& e) {
        const std::string what = e.what();
        _exit(what.find("b.dat") != std::string::npos &&
                      what.find("nothing was replaced") != std::string::npos
                  ? 7
                  : 8);
      }
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.fails ? 7 : 0);
    if (c.fails) {
      EXPECT_EQ(file_exists(dir.file("a.dat")), c.earlier_a.has_value());
      if (c.earlier_a) {
        EXPECT_EQ(read_file(dir.file("a.dat")), *c.earlier_a);
      }
      EXPECT_EQ(read_file(dir.file("b.dat")), "earlier b");
    } else {
      EXPECT_EQ(read_file(dir.file("a.dat")), "new a");
      EXPECT_EQ(read_file(dir.file("b.dat")), big);
    }
    // No temporary file and no earlier file kept aside is left behind.
    std::vector<std::string> expected{"a.dat", "b.dat"};
    if (c.fails && !c.earlier_a) expected = {"b.dat"};
    EXPECT_EQ(list_dir(dir.path()), expected);
  }
}

// What is not a file is never put aside or replaced, and nothing else of the set is either.
TEST(ReplaceFiles, AFolderAtATargetReplacesNothing) {
  TempDir dir;
  write_file(dir.file("a.dat"), "earlier a");
  std::filesystem::create_directory(dir.file("b.dat"));
  write_file(dir.file("b.dat/inside"), "x");
  EXPECT_THROW(replace_files({{dir.file("a.dat"), "new a"}, {dir.file("b.dat"), "new b"}}),
               FileError);
  EXPECT_EQ(read_file(dir.file("a.dat")), "earlier a");
  EXPECT_EQ(read_file(dir.file("b.dat/inside")), "x");
  EXPECT_EQ(list_dir(dir.path()), (std::vector<std::string>{"a.dat", "b.dat"}));
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

// A target whose own name is legal is writable whatever its length: the temporary name beside it
// is cut to the directory's limit, never in the middle of a UTF-8 character.
TEST(ReplaceFile, NamesUpToTheDirectorysLimit) {
  TempDir dir;
  const long limit = pathconf(dir.path().c_str(), _PC_NAME_MAX);
  ASSERT_GT(limit, 40);
  const size_t name_max = static_cast<size_t>(limit);
  const auto e_grave = [](size_t count) {
    std::string s;
    for (size_t i = 0; i < count; ++i) s += "\xc3\xa8";
    return s;
  };
  const struct {
    std::string name;
    std::string temp_stem;  // what the temporary name keeps of it
  } cases[] = {
      {"a.dat", "a.dat"},
      {std::string(name_max - 12, 'n'), std::string(name_max - 12, 'n')},
      {std::string(name_max - 11, 'n'), std::string(name_max - 12, 'n')},
      {std::string(name_max, 'n'), std::string(name_max - 12, 'n')},
      // Two-byte characters: a cut at an odd length backs off to a whole one.
      {e_grave(name_max / 2), e_grave((name_max - 12) / 2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.name.size()) + " bytes");
    replace_file(dir.file(c.name), "first");
    {
      FileReplacer out(dir.file(c.name));
      out.write("second");
      const std::vector<std::string> names = list_dir(dir.path());
      ASSERT_EQ(names.size(), 2u);
      const std::string& temp = names[0] == c.name ? names[1] : names[0];
      EXPECT_LE(temp.size(), name_max);
      EXPECT_EQ(temp.substr(0, temp.size() - 11), "." + c.temp_stem);
      EXPECT_EQ(temp.substr(temp.size() - 11, 5), ".tmp-");
      out.commit();
    }
    EXPECT_EQ(read_file(dir.file(c.name)), "second");
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{c.name});
    std::filesystem::remove(dir.file(c.name));
  }
}

// A recompile keeps a private file private; a new file gets the permissions the umask gives.
// Only a regular file is replaced: what else has taken the name stays, and the error says what.
TEST(ReplaceFile, RefusesATargetThatIsNotARegularFile) {
  TempDir dir;
  write_file(dir.file("file"), "kept");
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink(dir.file("file").c_str(), dir.file("link").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/null", dir.file("null").c_str()), 0);
  std::filesystem::create_directory(dir.file("dir"));
  const struct {
    const char* name;
    const char* kind;
  } cases[] = {{"fifo", "a FIFO"},
               {"link", "a symbolic link"},
               {"null", "a symbolic link"},
               {"dir", "a directory"}};
  const std::vector<std::string> before = list_dir(dir.path());
  for (const auto& c : cases) {
    try {
      replace_file(dir.file(c.name), "new");
      ADD_FAILURE() << c.name << " replaced";
    } catch (const FileError& e) {
      EXPECT_EQ(std::string(e.what()), dir.file(c.name) + ": " + c.kind +
                                           " stands there, not a regular file: not replaced");
    }
  }
  EXPECT_EQ(list_dir(dir.path()), before);
  EXPECT_EQ(read_file(dir.file("file")), "kept");
  EXPECT_TRUE(std::filesystem::is_fifo(dir.file("fifo")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link")));
}

TEST(ReplaceFile, KeepsThePermissionsOfTheFileReplaced) {
  TempDir dir;
  const mode_t mask = umask(022);
  const struct {
    std::optional<mode_t> earlier;
    mode_t after;
  } cases[] = {
      {std::nullopt, 0644}, {0600, 0600}, {0640, 0640}, {0444, 0444}, {0755, 0755},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.earlier ? std::to_string(*c.earlier) : "new file");
    const std::string path = dir.file("a.dat");
    std::filesystem::remove(path);
    if (c.earlier) {
      write_file(path, "earlier");
      ASSERT_EQ(chmod(path.c_str(), *c.earlier), 0);
    }
    replace_file(path, "new");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.after);
    EXPECT_EQ(read_file(path), "new");
  }
  umask(mask);
}

}  // namespace
}  // namespace scenario

// An interrupting signal in the middle of a run: the run's unfinished files go, the rest stays.
#include "format/signal_cleanup.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "format/replace_file.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::file_exists;
using testing::list_dir;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

// A child that has written a document and a source (removed if interrupted) and is in the
// middle of replacing a compiled file when the signal comes.
TEST(SignalCleanup, RemovesTheTemporaryFileAndTheRunsSourcesThenExits) {
  const struct {
    int signal;
    bool ignored_before;  // as a shell's background job starts with SIGINT ignored
    int exit;
  } cases[] = {
      {SIGINT, false, 130},
      {SIGTERM, false, 143},
      {SIGHUP, false, 129},
      {SIGINT, true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(strsignal(c.signal) + std::string(c.ignored_before ? ", ignored before" : ""));
    TempDir dir;
    write_file(dir.file("a.dat"), "earlier");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (c.ignored_before) signal(c.signal, SIG_IGN);
      install_interrupt_cleanup();
      replace_file(dir.file("document.txt"), "kept");
      FileReplacer source(dir.file("source.txt"), OnInterrupt::kRemove);
      source.write("removed");
      source.commit();
      FileReplacer out(dir.file("a.dat"));
      out.write(std::string(1 << 17, 'n'));
      raise(c.signal);
      _exit(0);  // without the destructors: the temporary file stays unless the handler ran
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), c.exit);
    if (c.ignored_before) {
      EXPECT_TRUE(file_exists(dir.file("source.txt"))) << "cleaned up without the signal";
      continue;
    }
    EXPECT_EQ(list_dir(dir.path()), (std::vector<std::string>{"a.dat", "document.txt"}));
    EXPECT_EQ(read_file(dir.file("a.dat")), "earlier");
    EXPECT_EQ(read_file(dir.file("document.txt")), "kept");
  }
}

}  // namespace
}  // namespace scenario

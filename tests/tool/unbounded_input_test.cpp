// inspect, plot and the other readers of compiled files given what no compile writes: an endless
// device, a FIFO with no writer, a file of 100 MB. Each answers with one line and exit 1, at once
// and in little memory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/builtin_compiled.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::builtin_compiled;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

enum class Hostile { kZero, kFifo, kHuge };

// Puts the hostile thing at path.
void make(Hostile h, const std::string& path) {
  switch (h) {
    case Hostile::kZero:
      ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0);
      break;
    case Hostile::kFifo:
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
      break;
    case Hostile::kHuge:
      write_file(path, "");
      ASSERT_EQ(::truncate(path.c_str(), 100'000'005), 0);
      break;
  }
}

TEST(UnboundedInput, EveryReaderOfCompiledFilesAnswersAtOnceInLittleMemory) {
  const auto& b = builtin_compiled();
  struct Thing {
    Hostile what;
    const char* name;
    const char* message;
  };
  const Thing things[] = {{Hostile::kZero, "/dev/zero", "is a character device"},
                          {Hostile::kFifo, "a FIFO", "is a FIFO"},
                          {Hostile::kHuge, "a 100 MB file", "100000005 bytes, more than the"}};
  const char* files[] = {"S_1.sim", "S_1.dat", "S_linea.dat"};
  TempDir out;
  long memory_bound_kib = 64 * 1024;
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's own shadow memory comes on top: the bound is on what reading adds to a
  // run that inspects a sound file.
  const testing::ChildResult sound =
      testing::run_child({SCENARIO_TOOL_EXE, "inspect", b.general_file});
  ASSERT_EQ(sound.exit_code, 0) << sound.describe();
  memory_bound_kib += sound.max_rss_kib;
#endif
  for (const Thing& t : things) {
    for (const char* file : files) {
      TempDir dir;
      // The other two files of the scenario are sound, so that plot reaches the hostile one.
      write_file(dir.file("S_1.sim"), read_file(b.general_file));
      write_file(dir.file("S_1.dat"), read_file(b.track_file));
      write_file(dir.file("S_linea.dat"), read_file(b.curve_file));
      ::unlink(dir.file(file).c_str());
      make(t.what, dir.file(file));
      const std::vector<std::vector<std::string>> commands = {
          {SCENARIO_TOOL_EXE, "inspect", dir.file(file)},
          {SCENARIO_TOOL_EXE, "inspect", "--json", dir.file(file)},
          {SCENARIO_TOOL_EXE, "plot", "-o", out.file("p.svg"), dir.path()},
          // The other readers of compiled files share the bounded read.
          {SCENARIO_TOOL_EXE, "timing", dir.path()},
          {SCENARIO_TOOL_EXE, "decompile", "-o", out.file("src"), dir.path()},
      };
      for (const auto& argv : commands) {
        SCOPED_TRACE(std::string(t.name) + " as " + file + ": " + argv[1] + " " + argv[2]);
        testing::ChildOptions o;
        o.alarm_seconds = 10;
        const auto start = std::chrono::steady_clock::now();
        const testing::ChildResult r = testing::run_child(argv, o);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(r.exit_code, 1) << r.describe();
        EXPECT_EQ(r.out, "");
        ASSERT_EQ(r.err_lines().size(), 1u) << r.err;
        EXPECT_NE(r.err.find(dir.file(file) + ": " + t.message), std::string::npos) << r.err;
        EXPECT_LE(r.max_rss_kib, memory_bound_kib);
      }
    }
  }
}

}  // namespace
}  // namespace scenario

// The bounded read of compiled files: what is not a regular file, or is longer than compile
// writes, is refused at once, without reading it.
#include "format/read_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "format/file_error.h"
#include "format/marks.h"
#include "support/round_trip.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::TempDir;
using testing::write_file;

// A file of size bytes that occupies no disk.
void sparse_file(const std::string& path, uintmax_t size) {
  write_file(path, "");
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
}

// The limits are the files of the longest route the line reader accepts, byte for byte.
TEST(ReadCompiledFile, TheLimitsAreTheLongestFilesCompileWrites) {
  const std::string line =
      "[generale]\r\nlunghezza percorso, " + std::to_string(kMaxRouteLength) +
      "\r\nprogressiva chilometrica uno, 0, 12000, 1\r\n[curve]\r\ncurvas2, 1000, 300\r\n"
      "[pendenze]\r\npendenza, 0, 0\r\n[fine]\r\n";
  const std::string train =
      "[generale]\r\nnumero vetture, 4\r\npercentuale massa frenata, 110\r\n"
      "orologio, 8 15 0\r\n[aderenze]\r\naderenza, 0, 100\r\n[vel_limite]\r\n"
      "velocita, 0, 95\r\n[stazioni]\r\n"
      "stazione, 300, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 1, 8,15, 0, A\r\n"
      "stazione, 5500, 6, 400, 1, 0, 0, 1,1,0, 4,1,1, 0, 8,21, 0, B\r\n[fine]\r\n";
  const decompile::CompiledImages images = testing::compile_clean("L", "1", line, train);
  EXPECT_EQ(images.track.size(), compiled_file_limit(FileKind::kTrack));
  EXPECT_EQ(images.curve.size(), compiled_file_limit(FileKind::kCurve));
  // 87 entries whose texts could each take the 65535 bytes their length field allows.
  EXPECT_EQ(compiled_file_limit(FileKind::kGeneral), 87u * (34 + 65535));
}

TEST(ReadCompiledFile, RefusesAtOnceWhatCompileCannotHaveWritten) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("fifo.dat").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.file("zero.sim").c_str()), 0);
  ASSERT_EQ(::mkdir(dir.file("folder_linea.dat").c_str(), 0700), 0);
  const uintmax_t track = compiled_file_limit(FileKind::kTrack);
  const uintmax_t curve = compiled_file_limit(FileKind::kCurve);
  const uintmax_t general = compiled_file_limit(FileKind::kGeneral);
  sparse_file(dir.file("big.dat"), track + 1);
  sparse_file(dir.file("big_linea.dat"), curve + 1);
  sparse_file(dir.file("big.sim"), general + 1);
  sparse_file(dir.file("huge.dat"), 100'000'005);

  struct Case {
    std::string name;
    FileKind kind;
    std::string message;  // the whole text after "PATH: "
  };
  const Case cases[] = {
      {"fifo.dat", FileKind::kTrack, "is a FIFO, not a regular file"},
      {"zero.sim", FileKind::kGeneral, "is a character device, not a regular file"},
      {"folder_linea.dat", FileKind::kCurve, "is a directory, not a compiled file"},
      {"missing.dat", FileKind::kTrack, "cannot open: No such file or directory"},
      {"big.dat", FileKind::kTrack,
       std::to_string(track + 1) + " bytes, more than the " + std::to_string(track) +
           " that compile writes at most"},
      {"big_linea.dat", FileKind::kCurve,
       std::to_string(curve + 1) + " bytes, more than the " + std::to_string(curve) +
           " that compile writes at most"},
      {"big.sim", FileKind::kGeneral,
       std::to_string(general + 1) + " bytes, more than the " + std::to_string(general) +
           " that compile writes at most"},
      {"huge.dat", FileKind::kTrack,
       "100000005 bytes, more than the " + std::to_string(track) + " that compile writes at most"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.file(c.name);
    const auto start = std::chrono::steady_clock::now();
    try {
      read_compiled_file(path, c.kind);
      ADD_FAILURE() << "read";
    } catch (const FileError& e) {
      EXPECT_EQ(std::string(e.what()), path + ": " + c.message);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  }
}

TEST(ReadCompiledFile, ReadsAFileOfExactlyTheLimitWhole) {
  TempDir dir;
  const uintmax_t track = compiled_file_limit(FileKind::kTrack);
  sparse_file(dir.file("s.dat"), track);
  EXPECT_EQ(read_compiled_file(dir.file("s.dat"), FileKind::kTrack), std::string(track, '\0'));
  // A source has no limit of this kind.
  write_file(dir.file("s_linea.txt"), "[generale]\r\n");
  EXPECT_EQ(read_compiled_file(dir.file("s_linea.txt"), FileKind::kLineSource), "[generale]\r\n");
}

}  // namespace
}  // namespace scenario

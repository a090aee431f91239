// decompile of files that no clean compile writes: one line naming the first inconsistency,
// and never sources that compile to other bytes.
#include <gtest/gtest.h>

#include <functional>

#include "decompile/decompile.h"
#include "support/compile_fixture.h"
#include "support/round_trip.h"
#include "support/scenario_generator.h"

namespace scenario::testing {
namespace {

using decompile::CompiledBytes;

const CompiledBytes& small_scenario() {
  static const CompiledBytes bytes = [] {
    const testing::GeneratedSources g =
        testing::generate_scenario(20, {.seed = 5, .every_row_kind = true});
    return as_bytes("G", "7", compile_clean("G", "7", g.line, g.train));
  }();
  return bytes;
}

void put16(std::string& bytes, size_t at, int16_t v) {
  bytes[at] = static_cast<char>(v & 0xFF);
  bytes[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

TEST(DecompileRefuses, FilesThatNoCleanCompileWritesWithTheFirstInconsistency) {
  const size_t blocks = small_scenario().track.size() / 15;
  struct Case {
    const char* what;
    std::function<void(CompiledBytes&)> damage;
    std::string line;
  };
  const Case cases[] = {
      {"a format mark changed", [](CompiledBytes& b) { put16(b.track, 15 + 1, 5122); },
       "G_7.dat: block 1 value1 is 5122, not the format mark 5121"},
      {"a code that nothing writes", [](CompiledBytes& b) { b.track[100 * 15] = 9; },
       "G_7.dat: block 100 has code 9, which nothing that compiles writes"},
      {"a block less", [](CompiledBytes& b) { b.track.resize(b.track.size() - 15); },
       "G_7.dat holds " + std::to_string(blocks - 1) + " blocks; a route of 20000 m has " +
           std::to_string(blocks)},
      {"a gradient on the last block, where no row reaches",
       [blocks](CompiledBytes& b) { b.track[(blocks - 1) * 15 + 13] = 100; },
       "G_7.dat: byte " + std::to_string((blocks - 1) * 15 + 13) + " (block " +
           std::to_string(blocks - 1) +
           ", mark14) differs from what any source that fits the other bytes compiles to"},
      {"a truncated curve file", [](CompiledBytes& b) { b.curve.resize(b.curve.size() - 3); },
       "G_linea.dat: offset " + std::to_string(small_scenario().curve.size() - 4) +
           ": cell 54000: truncated tag (1 byte left of 2)"},
      {"a curve file of another length",
       [](CompiledBytes& b) {
         // One empty cell less on each axis: the axes have the same layout, each half the file.
         b.curve.erase(b.curve.size() / 2 - 2, 2);
         b.curve.resize(b.curve.size() - 2);
       },
       "G_linea.dat runs to metre 26999; a route of 20000 m runs to metre 27000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CompiledBytes b = small_scenario();
    c.damage(b);
    const decompile::DecompileOutcome d = decompile::decompile(b, "G", "7");
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.error, c.line);
    EXPECT_EQ(d.line_text, "");
    EXPECT_EQ(d.train_text, "");
  }
}

TEST(DecompileRefuses, FilesOfAnotherIdentityOrOfABuildWithAFault) {
  EXPECT_EQ(decompile::decompile(small_scenario(), "H", "7").error,
            "G_7.sim: slots 85 and 86 name the scenario 'G' '7', not 'H' '7' of the file names");
  // A progressive bound off the 50 m grid: the compile writes its files with status 2.
  const std::string line =
      "[generale]\r\nlunghezza percorso,    93000\r\nprogressiva chilometrica uno,  0,  75730,  "
      "0\r\n[curve]\r\n[fine]\r\n";
  int32_t status = 0;
  const decompile::CompiledImages images =
      images_of_compile("T", "1", line, train_with(""), &status);
  ASSERT_EQ(status, 2);
  ASSERT_FALSE(images.track.empty());
  const decompile::DecompileOutcome d = decompile::decompile(as_bytes("T", "1", images), "T", "1");
  EXPECT_FALSE(d.ok);
  EXPECT_EQ(d.error.rfind("the recovered sources do not compile cleanly (status 2", 0), 0u)
      << d.error;
}

// Truncated and bit-flipped files, a few hundred of them: decompile either refuses them in one
// line or gives sources that compile to exactly the damaged bytes.
TEST(DecompileRefuses, DamagedFilesNeverGiveSourcesOfOtherBytes) {
  uint64_t state = 0x2545F4914F6CDD1DULL;
  const auto next = [&state](size_t n) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<size_t>((state >> 33) % n);
  };
  int refused = 0, accepted = 0;
  for (int i = 0; i < 360; ++i) {
    CompiledBytes b = small_scenario();
    std::string& file = i % 3 == 0 ? b.curve : i % 3 == 1 ? b.general : b.track;
    if (i % 4 == 0) {
      file.resize(next(file.size()));
    } else {
      file[next(file.size())] ^= static_cast<char>(1 << next(8));
    }
    std::string error;
    const std::string wrong = false_recovery("G", "7", b, &error);
    ASSERT_EQ(wrong, "") << "damage " << i << " gave sources of other bytes";
    if (error.empty()) {
      ++accepted;
    } else {
      ++refused;
      EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
  }
  // Both outcomes occur: a flip in a station field is a scenario all the same.
  EXPECT_GT(refused, 100);
  EXPECT_GT(accepted, 0);
}

}  // namespace
}  // namespace scenario::testing

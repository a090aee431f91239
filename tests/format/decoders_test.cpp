// The decoders against the files the writers made: a cut file is refused inside it, or read whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/curve_image.h"
#include "format/general_image.h"
#include "format/track_image.h"
#include "support/builtin_compiled.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::builtin_compiled;
using testing::read_file;

// Every cut of a file is either refused at an offset inside it, or, where the cut happens to
// leave a complete smaller image, read as exactly those bytes.
TEST(Decoders, EveryPrefixOfTheFilesIsRefusedOrReadWhole) {
  const auto& b = builtin_compiled();
  const std::string sim = read_file(b.general_file);
  for (size_t n = 0; n < sim.size(); ++n) {
    const auto d = decode_general(std::string_view(sim).substr(0, n));
    ASSERT_FALSE(d.ok()) << n;
    ASSERT_LE(d.error().offset, n);
  }
  const std::string dat = read_file(b.track_file);
  std::vector<size_t> dat_cuts;
  for (size_t n = 0; n < 64; ++n) dat_cuts.push_back(n);
  for (size_t n = dat.size() - 64; n < dat.size(); ++n) dat_cuts.push_back(n);
  for (size_t n : dat_cuts) {
    const auto d = decode_track(std::string_view(dat).substr(0, n));
    ASSERT_EQ(d.ok(), n > 0 && n % 15 == 0) << n;
    if (!d.ok()) continue;
    StringSink again;
    for (const TrackBlock& blk : d.value()) write_track_block(again, blk);
    ASSERT_EQ(again.bytes, dat.substr(0, n));
  }
  // The long files: their first and last cells and, for the curves, a stretch in the middle.
  const std::string lin = read_file(b.curve_file);
  std::vector<size_t> cuts;
  for (size_t n = 0; n < 64; ++n) cuts.push_back(n);
  for (size_t n = lin.size() - 24; n < lin.size(); ++n) cuts.push_back(n);
  for (size_t n = lin.size() / 2 - 12; n < lin.size() / 2 + 12; ++n) cuts.push_back(n);
  int accepted = 0;
  for (size_t n : cuts) {
    const auto d = decode_curve(std::string_view(lin).substr(0, n));
    if (!d.ok()) {
      ASSERT_LE(d.error().offset, n);
      continue;
    }
    // Two integer cells split into two axes of one metre each.
    ++accepted;
    StringSink again;
    write_curve_image(again, d.value());
    ASSERT_EQ(again.bytes, lin.substr(0, n)) << n;
  }
  EXPECT_EQ(accepted, 1);
}

}  // namespace
}  // namespace scenario

// Zeroed memory for the large tables: zero from the start, writable, aligned for huge pages when
// large, and given back whole.
#include "model/zeroed_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <new>
#include <string>
#include <vector>

namespace scenario {
namespace {

constexpr size_t kMiB = size_t{1} << 20;

bool all_zero(const ZeroedBlock& b) {
  const auto* p = static_cast<const unsigned char*>(b.data());
  for (size_t i = 0; i < b.size(); ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

// The address space the process has mapped, from /proc/self/status.
int64_t mapped_kib() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmSize:", 0) == 0) return std::stoll(line.substr(7));
  }
  return -1;
}

TEST(ZeroedBlock, ArrivesZeroedAndWritableFromEitherSource) {
  const size_t sizes[] = {
      1,           4095, 4097, ZeroedBlock::kHugePageThreshold - 1, ZeroedBlock::kHugePageThreshold,
      3 * kMiB + 1};
  for (const auto source : {ZeroedBlock::Source::kPages, ZeroedBlock::Source::kHeap}) {
    for (const size_t size : sizes) {
      // Twice: a block given back and taken again must be zero again.
      for (int round = 0; round < 2; ++round) {
        ZeroedBlock b(size, source);
        ASSERT_NE(b.data(), nullptr);
        EXPECT_EQ(b.size(), size);
        EXPECT_EQ(b.mapped(), source == ZeroedBlock::Source::kPages);
        EXPECT_TRUE(all_zero(b)) << size;
        auto* p = static_cast<unsigned char*>(b.data());
        for (size_t i = 0; i < size; ++i) p[i] = static_cast<unsigned char>(i | 1);
        EXPECT_EQ(p[size - 1], static_cast<unsigned char>((size - 1) | 1));
        if (source == ZeroedBlock::Source::kPages && size >= ZeroedBlock::kHugePageThreshold) {
          EXPECT_EQ(reinterpret_cast<uintptr_t>(b.data()) % ZeroedBlock::kHugePageSize, 0u);
        }
      }
    }
  }
}

TEST(ZeroedBlock, EmptyAndMovedFromBlocksHoldNothing) {
  ZeroedBlock none(0);
  EXPECT_EQ(none.data(), nullptr);
  EXPECT_EQ(none.size(), 0u);

  ZeroedBlock a(3 * kMiB);
  void* const memory = a.data();
  ZeroedBlock b(std::move(a));
  EXPECT_EQ(a.data(), nullptr);
  EXPECT_EQ(a.size(), 0u);
  EXPECT_EQ(b.data(), memory);
  ZeroedBlock c(5000);
  c = std::move(b);  // c's own block goes
  EXPECT_EQ(c.data(), memory);
  EXPECT_EQ(c.size(), 3 * kMiB);
  EXPECT_EQ(b.data(), nullptr);
}

TEST(ZeroedBlock, LargeMappingsKeepOnlyTheirAlignedPartAndAreGivenBackWhole) {
  // The alignment over-maps by one huge page; what lies outside the block must be cut off at
  // once, and the block unmapped whole when it goes.
  constexpr int kBlocks = 40;
  const int64_t before = mapped_kib();
  ASSERT_GT(before, 0);
  {
    std::vector<ZeroedBlock> blocks;
    for (int i = 0; i < kBlocks; ++i) blocks.emplace_back(3 * kMiB, ZeroedBlock::Source::kPages);
    const int64_t grown = mapped_kib() - before;
    // Each block keeps 4 MiB (3 MiB rounded to huge pages); 16 MiB of slack for the rest, and
    // 1 MiB below for what the process's other memory may give back meanwhile (a freed arena).
    EXPECT_GE(grown, kBlocks * 4 * 1024 - 1024);
    EXPECT_LT(grown, kBlocks * 4 * 1024 + 16 * 1024);
  }
  EXPECT_LT(mapped_kib() - before, 16 * 1024);
}

TEST(ZeroedBlock, MemoryThatNoSourceCanGiveIsBadAlloc) {
  if (ZeroedBlock::default_source() == ZeroedBlock::Source::kHeap) {
    GTEST_SKIP() << "the sanitizers stop the process on an impossible allocation";
  }
  // The mapping fails, then the heap: the caller sees bad_alloc and nothing is held.
  const int64_t before = mapped_kib();
  EXPECT_THROW(ZeroedBlock(size_t{1} << 50), std::bad_alloc);
  EXPECT_LT(mapped_kib() - before, 16 * 1024);
}

}  // namespace
}  // namespace scenario

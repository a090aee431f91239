// The executables' small-block arena: blocks aligned and apart, reused by size once freed,
// large or overflowing requests left to the caller, foreign pointers refused, safe across
// threads.
#include "model/block_arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

namespace scenario {
namespace {

constexpr size_t kAlign = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

TEST(BlockArena, BlocksAreAlignedWritableAndApart) {
  BlockArena arena;
  std::vector<std::pair<uintptr_t, size_t>> blocks;
  for (const size_t size : {size_t{0}, size_t{1}, size_t{15}, size_t{16}, size_t{17}, size_t{100},
                            size_t{4096}, size_t{70000}, BlockArena::kLargestBlock - kAlign}) {
    void* p = arena.allocate(size);
    ASSERT_NE(p, nullptr) << size;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % kAlign, 0u) << size;
    EXPECT_TRUE(arena.owns(p));
    std::memset(p, 0xA5, size);
    blocks.emplace_back(reinterpret_cast<uintptr_t>(p), size);
  }
  std::sort(blocks.begin(), blocks.end());
  for (size_t i = 1; i < blocks.size(); ++i) {
    EXPECT_GE(blocks[i].first, blocks[i - 1].first + blocks[i - 1].second) << i;
  }
}

TEST(BlockArena, FreedBlockIsReusedBySizeClass) {
  BlockArena arena;
  void* a = arena.allocate(100);
  void* b = arena.allocate(100);
  ASSERT_TRUE(arena.release(a));
  EXPECT_NE(arena.allocate(1000), a);  // another class does not take it
  EXPECT_EQ(arena.allocate(90), a);    // the same class does
  ASSERT_TRUE(arena.release(b));
  EXPECT_EQ(arena.allocate(100), b);
}

TEST(BlockArena, LeavesLargeOverflowingAndForeignBlocksToTheCaller) {
  BlockArena arena;
  EXPECT_EQ(arena.allocate(BlockArena::kLargestBlock - kAlign + 1), nullptr);
  EXPECT_EQ(arena.allocate(size_t{1} << 40), nullptr);
  // Largest blocks until full: the whole arena serves, then nothing more.
  std::vector<void*> largest;
  while (void* p = arena.allocate(BlockArena::kLargestBlock - kAlign)) largest.push_back(p);
  EXPECT_EQ(largest.size(), BlockArena::kSize / BlockArena::kLargestBlock);
  EXPECT_EQ(arena.allocate(1), nullptr);
  // A freed block serves again once full.
  ASSERT_TRUE(arena.release(largest.back()));
  EXPECT_EQ(arena.allocate(5000), nullptr);
  EXPECT_EQ(arena.allocate(200000), largest.back());

  int local = 0;
  std::vector<char> heap(64);
  EXPECT_FALSE(arena.release(nullptr));
  EXPECT_FALSE(arena.release(&local));
  EXPECT_FALSE(arena.release(heap.data()));
  EXPECT_FALSE(BlockArena().owns(largest.front()));
}

TEST(BlockArena, ThreadsNeverShareALiveBlock) {
  BlockArena arena;
  constexpr int kThreads = 4;
  constexpr int kRounds = 20000;
  std::vector<std::thread> threads;
  std::vector<int> faults(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&arena, &faults, t] {
      for (int r = 0; r < kRounds; ++r) {
        const size_t size = 16 + static_cast<size_t>((r * 7 + t) % 300);
        auto* p = static_cast<unsigned char*>(arena.allocate(size));
        if (p == nullptr) {
          ++faults[t];
          continue;
        }
        std::memset(p, t + 1, size);
        std::this_thread::yield();
        if (std::count(p, p + size, static_cast<unsigned char>(t + 1)) != static_cast<long>(size)) {
          ++faults[t];
        }
        arena.release(p);
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(faults, std::vector<int>(kThreads, 0));
}

}  // namespace
}  // namespace scenario

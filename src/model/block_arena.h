// Blocks for operator new cut from one huge page, for programs that live a few milliseconds.
// On the machines we measure, a first touch of a 4 KiB heap page costs about 9 us and a whole
// 2 MiB huge page about as much as six of them; a one-scenario build's heap (some fifty pages,
// under 1 MiB allocated in all) faults in as one page instead of fifty.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

#include "model/zeroed_block.h"

namespace scenario {

// Size classes of powers of two, each block headed by its class; a freed block goes back to
// the list of its class and is used again, so where no huge page is given the arena touches
// no more pages than a heap would. Thread-safe. The memory is mapped on the first allocation
// and never unmapped, so that an arena may serve before and after every other object of a
// program.
class BlockArena {
 public:
  static constexpr size_t kSize = ZeroedBlock::kHugePageSize;  // one huge page
  // The largest request served, header included in its block: larger ones are the caller's.
  static constexpr size_t kLargestBlock = size_t{256} << 10;

  constexpr BlockArena() = default;
  BlockArena(const BlockArena&) = delete;
  BlockArena& operator=(const BlockArena&) = delete;

  // nullptr when the request is too large or the arena is full (or could not be mapped).
  void* allocate(size_t size);
  // False, doing nothing, when p did not come from this arena.
  bool release(void* p);
  bool owns(const void* p);

 private:
  struct FreeBlock {
    FreeBlock* next;
  };
  static constexpr size_t kHeader = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
  static constexpr size_t kSmallest = 32;  // a class 0 block, header included
  static constexpr int kClasses = 14;      // 32 B to kLargestBlock

  static int size_class(size_t size);
  void map();
  bool owns_locked(uintptr_t at) const;

  // A spin lock: it must be constant-initialised, since the arena serves operator new before
  // any constructor runs, and std::mutex is not on every system (mingw-w64's is not). Each
  // hold is a few pointer moves.
  class SpinLock {
   public:
    void lock() {
      while (held_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    void unlock() { held_.clear(std::memory_order_release); }

   private:
    std::atomic_flag held_;
  };
  SpinLock lock_;
  bool mapped_ = false;
  unsigned char* begin_ = nullptr;
  unsigned char* next_ = nullptr;
  unsigned char* end_ = nullptr;
  FreeBlock* free_[kClasses] = {};
};

}  // namespace scenario

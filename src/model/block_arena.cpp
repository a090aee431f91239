#include "model/block_arena.h"

#include <mutex>
#include <new>

namespace scenario {

int BlockArena::size_class(size_t size) {
  if (size > kLargestBlock - kHeader) return kClasses;
  int k = 0;
  while ((kSmallest << k) - kHeader < size) ++k;
  return k;
}

void BlockArena::map() {
  mapped_ = true;
  // Placed in static storage and never destroyed: what it holds may be freed at exit.
  alignas(ZeroedBlock) static unsigned char storage[sizeof(ZeroedBlock)];
  try {
    auto* block = new (storage) ZeroedBlock(kSize, ZeroedBlock::Source::kPages);
    begin_ = next_ = static_cast<unsigned char*>(block->data());
    end_ = begin_ + block->size();
  } catch (const std::bad_alloc&) {
    // No memory: the arena serves nothing.
  }
}

void* BlockArena::allocate(size_t size) {
  const int k = size_class(size);
  if (k >= kClasses) return nullptr;
  std::lock_guard<SpinLock> hold(lock_);
  if (!mapped_) map();
  unsigned char* block = nullptr;
  if (FreeBlock* f = free_[k]) {
    free_[k] = f->next;
    block = reinterpret_cast<unsigned char*>(f);
  } else {
    const size_t bytes = kSmallest << k;
    if (bytes > static_cast<size_t>(end_ - next_)) return nullptr;
    block = next_;
    next_ += bytes;
  }
  *reinterpret_cast<int*>(block) = k;
  return block + kHeader;
}

bool BlockArena::owns_locked(uintptr_t at) const {
  return at >= reinterpret_cast<uintptr_t>(begin_) + kHeader &&
         at < reinterpret_cast<uintptr_t>(next_);
}

bool BlockArena::owns(const void* p) {
  std::lock_guard<SpinLock> hold(lock_);
  return owns_locked(reinterpret_cast<uintptr_t>(p));
}

bool BlockArena::release(void* p) {
  std::lock_guard<SpinLock> hold(lock_);
  if (!owns_locked(reinterpret_cast<uintptr_t>(p))) return false;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  const int k = *reinterpret_cast<int*>(block);
  auto* f = reinterpret_cast<FreeBlock*>(block);
  f->next = free_[k];
  free_[k] = f;
  return true;
}

}  // namespace scenario

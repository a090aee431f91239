// The static executables' operator new: blocks up to 256 KiB from one huge page (see
// model/block_arena.h), the rest from malloc. Linked into the executables alone, never into the
// sanitizer builds, whose runtimes must see every allocation, nor into the tests.
#include <cstdlib>
#include <new>
#include <type_traits>

#include "model/block_arena.h"

namespace {

// Constant-initialised and never destroyed, so that it serves the runtime's own start-up and
// the objects destroyed at exit.
constinit scenario::BlockArena arena;
static_assert(std::is_trivially_destructible_v<scenario::BlockArena>);

void* allocate(size_t size) {
  if (void* p = arena.allocate(size)) return p;
  for (;;) {
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void release(void* p) noexcept {
  if (!arena.release(p)) std::free(p);
}

}  // namespace

void* operator new(size_t size) { return allocate(size); }
void* operator new[](size_t size) { return allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, size_t) noexcept { release(p); }
void operator delete[](void* p, size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }

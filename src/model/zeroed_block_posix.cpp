#include "model/zeroed_block.h"

#include <sys/mman.h>

#include <cstdint>

namespace scenario {
namespace {

size_t round_up(size_t n, size_t to) { return (n + to - 1) / to * to; }

// An anonymous mapping of at least bytes; nullptr when the kernel refuses. A large one starts
// on a 2 MiB boundary and ends on one, since the kernel puts a huge page only where a whole
// aligned 2 MiB lies inside the mapping.
void* map_zeroed(size_t bytes, size_t& length) {
  constexpr int kProt = PROT_READ | PROT_WRITE;
  constexpr int kFlags = MAP_PRIVATE | MAP_ANONYMOUS;
  const size_t page = 4096;
  if (bytes < ZeroedBlock::kHugePageThreshold) {
    length = round_up(bytes, page);
    void* p = mmap(nullptr, length, kProt, kFlags, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
  }
  const size_t huge = ZeroedBlock::kHugePageSize;
  length = round_up(bytes, huge);
  // Over-map by one huge page, then cut off what lies outside the aligned part.
  const size_t span = length + huge;
  void* raw = mmap(nullptr, span, kProt, kFlags, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = round_up(start, huge);
  if (aligned > start) munmap(raw, aligned - start);
  const uintptr_t end = aligned + length;
  if (start + span > end) munmap(reinterpret_cast<void*>(end), start + span - end);
  void* p = reinterpret_cast<void*>(aligned);
  // Advice only: where the kernel has no huge pages the block works in small ones.
  madvise(p, length, MADV_HUGEPAGE);
  return p;
}

}  // namespace

void* ZeroedBlock::map_pages(size_t bytes, size_t& length) { return map_zeroed(bytes, length); }

void ZeroedBlock::unmap_pages(void* data, size_t length) noexcept { munmap(data, length); }

}  // namespace scenario

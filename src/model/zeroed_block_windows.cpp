#include <windows.h>

#include "model/zeroed_block.h"

namespace scenario {

// Committed pages arrive zeroed. Large pages need a privilege that an author's account lacks,
// so every block is in small pages.
void* ZeroedBlock::map_pages(size_t bytes, size_t& length) {
  length = (bytes + 4095) / 4096 * 4096;
  return VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void ZeroedBlock::unmap_pages(void* data, size_t) noexcept { VirtualFree(data, 0, MEM_RELEASE); }

}  // namespace scenario

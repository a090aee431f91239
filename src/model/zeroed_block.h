// Memory for the large tables that arrives zeroed from the kernel, so that no table is filled
// with zeros by hand, and in huge pages where the kernel offers them.
#pragma once

#include <cstddef>

namespace scenario {

// One block of zeroed, writable memory, released when the owner goes. Move-only.
class ZeroedBlock {
 public:
  enum class Source {
    kPages,  // an anonymous mapping (VirtualAlloc on Windows); large blocks 2 MiB aligned and
             // offered huge pages where the system has them
    kHeap,   // calloc: what the sanitizers can watch
  };

  // Blocks of at least this size are placed for huge pages; a smaller one would fault in more
  // zeroed memory as one huge page than it uses.
  static constexpr size_t kHugePageThreshold = size_t{1} << 20;
  static constexpr size_t kHugePageSize = size_t{2} << 20;

  // Pages in a normal build; the heap under a sanitizer, so that overflows and leaks are seen.
  static Source default_source();

  ZeroedBlock() = default;
  // Throws std::bad_alloc when neither the pages nor the heap give the memory. A mapping that
  // fails falls back to the heap.
  explicit ZeroedBlock(size_t bytes, Source source = default_source());
  ~ZeroedBlock() { release(); }
  ZeroedBlock(ZeroedBlock&& other) noexcept { take(other); }
  ZeroedBlock& operator=(ZeroedBlock&& other) noexcept;
  ZeroedBlock(const ZeroedBlock&) = delete;
  ZeroedBlock& operator=(const ZeroedBlock&) = delete;

  void* data() const { return data_; }
  size_t size() const { return size_; }
  // True for a mapping; false for heap memory, also where a mapping fell back to the heap.
  bool mapped() const { return mapped_length_ != 0; }

 private:
  // The system's side: at least bytes of zeroed pages, their length in length; nullptr when
  // the system refuses. And their release.
  static void* map_pages(size_t bytes, size_t& length);
  static void unmap_pages(void* data, size_t length) noexcept;
  void release() noexcept;
  void take(ZeroedBlock& other) noexcept;

  void* data_ = nullptr;
  size_t size_ = 0;
  size_t mapped_length_ = 0;  // 0 for heap memory
};

}  // namespace scenario

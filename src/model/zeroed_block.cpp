#include "model/zeroed_block.h"

#include <cstdlib>
#include <new>

namespace scenario {

ZeroedBlock::Source ZeroedBlock::default_source() {
#if defined(__SANITIZE_ADDRESS__)
  return Source::kHeap;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
  return Source::kHeap;
#else
  return Source::kPages;
#endif
#else
  return Source::kPages;
#endif
}

ZeroedBlock::ZeroedBlock(size_t bytes, Source source) {
  if (bytes == 0) return;
  if (source == Source::kPages) {
    size_t length = 0;
    if (void* p = map_pages(bytes, length)) {
      data_ = p;
      size_ = bytes;
      mapped_length_ = length;
      return;
    }
  }
  data_ = std::calloc(1, bytes);
  if (data_ == nullptr) throw std::bad_alloc();
  size_ = bytes;
}

ZeroedBlock& ZeroedBlock::operator=(ZeroedBlock&& other) noexcept {
  if (this != &other) {
    release();
    take(other);
  }
  return *this;
}

void ZeroedBlock::release() noexcept {
  if (data_ == nullptr) return;
  if (mapped_length_ != 0) {
    unmap_pages(data_, mapped_length_);
  } else {
    std::free(data_);
  }
  data_ = nullptr;
  size_ = 0;
  mapped_length_ = 0;
}

void ZeroedBlock::take(ZeroedBlock& other) noexcept {
  data_ = other.data_;
  size_ = other.size_;
  mapped_length_ = other.mapped_length_;
  other.data_ = nullptr;
  other.size_ = 0;
  other.mapped_length_ = 0;
}

}  // namespace scenario

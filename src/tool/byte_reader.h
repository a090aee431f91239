// Bounds-checked little-endian field reads over a byte buffer, for the compiled-file decoders.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace scenario::tool {

// Reads fields at a moving offset; callers check left() before each read.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  size_t offset() const { return at_; }
  size_t left() const { return bytes_.size() - at_; }
  bool at_end() const { return at_ == bytes_.size(); }

  uint8_t u8() { return byte(at_++); }
  uint16_t u16() {
    const uint16_t v = static_cast<uint16_t>(byte(at_) | (byte(at_ + 1) << 8));
    at_ += 2;
    return v;
  }
  int16_t i16() { return static_cast<int16_t>(u16()); }
  int32_t i32() {
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(byte(at_ + i)) << (8 * i);
    at_ += 4;
    return static_cast<int32_t>(u);
  }
  double f64() {
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<uint64_t>(byte(at_ + i)) << (8 * i);
    at_ += 8;
    double v;
    std::memcpy(&v, &u, sizeof v);
    return v;
  }
  std::string_view take(size_t n) {
    const std::string_view s = bytes_.substr(at_, n);
    at_ += s.size();
    return s;
  }

 private:
  // Past the end reads 0, so that a caller's missed check cannot reach outside the buffer.
  uint8_t byte(size_t i) const { return i < bytes_.size() ? static_cast<uint8_t>(bytes_[i]) : 0; }

  std::string_view bytes_;
  size_t at_ = 0;
};

}  // namespace scenario::tool

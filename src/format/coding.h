// Little-endian coding of the compiled images' fields: each width's encoder and decoder side by
// side, the sink writers built on the encoders and the bounds-checked reader on the decoders, so
// that both directions follow one layout and never depend on host byte order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace scenario {

// ---- fixed-width fields at a place in memory; the caller owns the bytes

inline void encode_u16(uint8_t* at, uint16_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}
inline uint16_t decode_u16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

inline void encode_u32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint32_t decode_u32(const uint8_t* at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(at[i]) << (8 * i);
  return v;
}

// The bit pattern of an IEEE binary64 (memcpy of one double, not of a struct).
inline void encode_f64(uint8_t* at, double d) {
  uint64_t v;
  std::memcpy(&v, &d, sizeof v);
  for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline double decode_f64(const uint8_t* at) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(at[i]) << (8 * i);
  double d;
  std::memcpy(&d, &v, sizeof d);
  return d;
}

// ---- writers onto a sink (anything with write(const void*, size_t))

// Appends bytes to a std::string; the in-memory sink of the image writers.
struct StringSink {
  std::string bytes;
  void write(const void* data, size_t size) { bytes.append(static_cast<const char*>(data), size); }
};

template <typename Sink>
void put_u8(Sink& sink, uint8_t v) {
  sink.write(&v, 1);
}

template <typename Sink>
void put_u16(Sink& sink, uint16_t v) {
  uint8_t b[2];
  encode_u16(b, v);
  sink.write(b, 2);
}

template <typename Sink>
void put_i16(Sink& sink, int16_t v) {
  put_u16(sink, static_cast<uint16_t>(v));
}

template <typename Sink>
void put_i32(Sink& sink, int32_t v) {
  uint8_t b[4];
  encode_u32(b, static_cast<uint32_t>(v));
  sink.write(b, 4);
}

template <typename Sink>
void put_f64(Sink& sink, double v) {
  uint8_t b[8];
  encode_f64(b, v);
  sink.write(b, 8);
}

// A variable-length text: unsigned 16-bit length, then the bytes, no terminator.
template <typename Sink>
void put_text(Sink& sink, std::string_view text) {
  if (text.size() > 0xFFFF) throw std::length_error("a text longer than 65535 bytes");
  put_u16(sink, static_cast<uint16_t>(text.size()));
  sink.write(text.data(), text.size());
}

// ---- the reader of the decoders

// Reads fields at a moving offset; callers check left() before each read.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  size_t offset() const { return at_; }
  size_t left() const { return bytes_.size() - at_; }
  bool at_end() const { return at_ == bytes_.size(); }

  uint8_t u8() { return fixed<1>()[0]; }
  uint16_t u16() { return decode_u16(fixed<2>()); }
  int16_t i16() { return static_cast<int16_t>(u16()); }
  int32_t i32() { return static_cast<int32_t>(decode_u32(fixed<4>())); }
  double f64() { return decode_f64(fixed<8>()); }
  std::string_view take(size_t n) {
    const std::string_view s = bytes_.substr(std::min(at_, bytes_.size()), n);
    at_ += s.size();
    return s;
  }

 private:
  // The next n bytes; past the end they read 0, so that a caller's missed check cannot reach
  // outside the buffer.
  template <size_t n>
  const uint8_t* fixed() {
    for (size_t i = 0; i < n; ++i) {
      const size_t k = at_ + i;
      scratch_[i] = k < bytes_.size() ? static_cast<uint8_t>(bytes_[k]) : 0;
    }
    at_ += n;
    return scratch_;
  }

  std::string_view bytes_;
  size_t at_ = 0;
  uint8_t scratch_[8] = {};
};

}  // namespace scenario

// Little-endian field writers for the compiled images; they never depend on host byte order.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace scenario {

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
  const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  sink.write(b, 2);
}

template <typename Sink>
void put_i16(Sink& sink, int16_t v) {
  put_u16(sink, static_cast<uint16_t>(v));
}

template <typename Sink>
void put_i32(Sink& sink, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  const uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                        static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)};
  sink.write(b, 4);
}

template <typename Sink>
void put_f64(Sink& sink, double v) {
  uint64_t u;
  std::memcpy(&u, &v, sizeof u);  // the bit pattern of an IEEE binary64, not a struct copy
  uint8_t b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(u >> (8 * i));
  sink.write(b, 8);
}

// A variable-length text: unsigned 16-bit length, then the bytes, no terminator.
template <typename Sink>
void put_text(Sink& sink, std::string_view text) {
  if (text.size() > 0xFFFF) throw std::length_error("a text longer than 65535 bytes");
  put_u16(sink, static_cast<uint16_t>(text.size()));
  sink.write(text.data(), text.size());
}

}  // namespace scenario

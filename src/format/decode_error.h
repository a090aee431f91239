// The result of decoding one compiled file: the decoded structure, or where its layout breaks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace scenario {

// A layout fault: the byte offset where the file stops making sense, and what is wrong there.
struct DecodeError {
  uint64_t offset = 0;
  std::string message;
};

// Either a value or an error; the decoders never return a partly decoded value.
// "1 byte", "3 bytes": for the messages.
inline std::string byte_count(uint64_t n) {
  return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

template <typename T>
class Decoded {
 public:
  Decoded(T value) : value_(std::move(value)) {}
  Decoded(DecodeError error) : error_(std::move(error)) {}

  bool ok() const { return value_.has_value(); }
  const T& value() const { return *value_; }
  T& value() { return *value_; }
  const DecodeError& error() const { return error_; }

 private:
  std::optional<T> value_;
  DecodeError error_;
};

}  // namespace scenario

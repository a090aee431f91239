// The framing of protocol messages on a byte stream: a header block with the body's
// Content-Length, a blank line, then the body. Reads are bounded, so that no input can make the
// server hold more than one message's worth of bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scenario::lsp {

// Where message bytes come from: standard input for the server, a string for the tests.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to size bytes into data, blocking until at least one is there; 0 at the end.
  virtual size_t read(char* data, size_t size) = 0;
  // True when a read would return at once: more input is waiting (or the end has come).
  virtual bool ready() = 0;
};

// Where message bytes go.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all of data; false when the other end is gone.
  virtual bool write(std::string_view data) = 0;
};

// The largest header block and body taken; a larger body is skipped unread into memory.
inline constexpr size_t kMaxHeaderBytes = 8 * 1024;
inline constexpr size_t kMaxBodyBytes = 32 * 1024 * 1024;

struct Frame {
  enum class Kind {
    kMessage,    // body holds one message
    kBadHeader,  // a header block without a valid Content-Length (or too long): skipped
    kTooLarge,   // a body above kMaxBodyBytes: skipped
    kEnd,        // the input ended (a message cut short included)
  };
  Kind kind = Kind::kEnd;
  std::string body;
  std::string problem;  // why, for kBadHeader and kTooLarge
};

class FrameReader {
 public:
  explicit FrameReader(ByteSource& source) : source_(source) {}

  // The next frame. After kBadHeader and kTooLarge the reader stands at the next header.
  Frame next();
  // True when a frame can be read without waiting for the client.
  bool pending();

 private:
  // Reads more bytes into the buffer; false at the end of the input.
  bool fill();
  // Takes the header block off the buffer; npos when it has not ended yet.
  size_t header_end() const;

  ByteSource& source_;
  std::string buffer_;
  bool ended_ = false;
};

// One message framed for the wire.
std::string frame(std::string_view body);

}  // namespace scenario::lsp

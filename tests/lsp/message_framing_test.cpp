// Framing of protocol messages: what a client may send, well or badly, and what the reader
// makes of it without holding more than a message.
#include "lsp/message_framing.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace scenario::lsp {
namespace {

// Bytes handed out in pieces of at most `piece`, as a pipe hands them out.
class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string bytes, size_t piece = 7)
      : bytes_(std::move(bytes)), piece_(piece) {}
  size_t read(char* data, size_t size) override {
    const size_t n = std::min({size, piece_, bytes_.size() - pos_});
    bytes_.copy(data, n, pos_);
    pos_ += n;
    return n;
  }
  bool ready() override { return pos_ < bytes_.size(); }

 private:
  std::string bytes_;
  size_t pos_ = 0;
  size_t piece_;
};

// A header announcing `size` bytes, then that many bytes made as they are read.
class HugeSource : public ByteSource {
 public:
  explicit HugeSource(size_t size)
      : header_("Content-Length: " + std::to_string(size) + "\r\n\r\n"), left_(size) {}
  size_t read(char* data, size_t size) override {
    if (!header_.empty()) {
      const size_t n = std::min(size, header_.size());
      header_.copy(data, n);
      header_.erase(0, n);
      return n;
    }
    if (left_ == 0) {
      if (tail_.empty()) return 0;
      const size_t n = std::min(size, tail_.size());
      tail_.copy(data, n);
      tail_.erase(0, n);
      return n;
    }
    const size_t n = std::min(size, left_);
    std::fill(data, data + n, 'x');
    left_ -= n;
    return n;
  }
  bool ready() override { return true; }
  std::string tail_ = frame("{}");

 private:
  std::string header_;
  size_t left_;
};

std::string kinds(const std::string& input) {
  StringSource source(input);
  FrameReader reader(source);
  std::string out;
  while (true) {
    const Frame f = reader.next();
    if (!out.empty()) out += " ";
    switch (f.kind) {
      case Frame::Kind::kMessage:
        out += "msg:" + f.body;
        break;
      case Frame::Kind::kBadHeader:
        out += "bad";
        break;
      case Frame::Kind::kTooLarge:
        out += "large";
        break;
      case Frame::Kind::kEnd:
        return out + "end";
    }
  }
}

TEST(MessageFraming, FramesAsClientsWriteThem) {
  const struct {
    const char* what;
    std::string input;
    const char* frames;
  } cases[] = {
      {"one message", frame("{}"), "msg:{} end"},
      {"two back to back", frame("[1]") + frame("[2]"), "msg:[1] msg:[2] end"},
      {"another header too",
       "Content-Type: application/vscode-jsonrpc\r\nContent-Length: 2\r\n\r\n{}", "msg:{} end"},
      {"letters in any case, bare line feeds", "content-length:2\n\n{}", "msg:{} end"},
      {"an empty body", "Content-Length: 0\r\n\r\n", "msg: end"},
      {"no Content-Length, then a good one", "Content-Type: x\r\n\r\n" + frame("{}"),
       "bad msg:{} end"},
      {"a length that is no number", "Content-Length: 1e3\r\n\r\n" + frame("{}"), "bad msg:{} end"},
      {"a negative length", "Content-Length: -2\r\n\r\n" + frame("{}"), "bad msg:{} end"},
      {"a body without a header", "{\"jsonrpc\":\"2.0\"}\r\n\r\n" + frame("{}"), "bad msg:{} end"},
      {"a header that never ends", std::string(20000, 'a') + "\r\n\r\n" + frame("{}"),
       "bad bad bad msg:{} end"},
      {"a body cut short", "Content-Length: 10\r\n\r\n{}", "end"},
      {"nothing", "", "end"},
  };
  for (const auto& c : cases) EXPECT_EQ(kinds(c.input), c.frames) << c.what;
}

TEST(MessageFraming, AHugeBodyIsSkippedWithoutBeingHeld) {
  HugeSource source(kMaxBodyBytes + 1);
  FrameReader reader(source);
  const Frame f = reader.next();
  EXPECT_EQ(f.kind, Frame::Kind::kTooLarge);
  EXPECT_TRUE(f.body.empty());
  EXPECT_EQ(reader.next().body, "{}") << "the reader stands at the next message";
}

TEST(MessageFraming, PendingOnlyWhenAMessageIsWholeOrMoreIsComing) {
  std::string input = frame("{}") + "Content-Length: 5\r\n\r\n{";
  StringSource source(input, input.size());
  FrameReader reader(source);
  EXPECT_TRUE(reader.pending());
  reader.next();
  // The next message is cut short and the client sends no more: nothing is pending.
  EXPECT_FALSE(reader.pending());
}

}  // namespace
}  // namespace scenario::lsp

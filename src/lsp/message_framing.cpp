#include "lsp/message_framing.h"

#include <algorithm>
#include <charconv>

namespace scenario::lsp {
namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool starts_with_ci(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (lower(s[i]) != lower(prefix[i])) return false;
  }
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// The Content-Length of a header block; -1 when it has none or an unreadable one.
long long content_length(std::string_view header) {
  long long length = -1;
  while (!header.empty()) {
    const size_t lf = header.find('\n');
    const std::string_view line = header.substr(0, lf);
    header = lf == std::string_view::npos ? std::string_view{} : header.substr(lf + 1);
    if (!starts_with_ci(line, "content-length:")) continue;
    const std::string_view value = trim(line.substr(15));
    long long v = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    if (ec != std::errc{} || end != value.data() + value.size() || v < 0) return -1;
    length = v;
  }
  return length;
}

}  // namespace

bool FrameReader::fill() {
  if (ended_) return false;
  char chunk[64 * 1024];
  const size_t n = source_.read(chunk, sizeof chunk);
  if (n == 0) {
    ended_ = true;
    return false;
  }
  buffer_.append(chunk, n);
  return true;
}

size_t FrameReader::header_end() const {
  // Some clients end header lines with a bare line feed; both forms end the block.
  const size_t crlf = buffer_.find("\r\n\r\n");
  const size_t lf = buffer_.find("\n\n");
  if (crlf == std::string::npos && lf == std::string::npos) return std::string::npos;
  if (lf == std::string::npos || (crlf != std::string::npos && crlf < lf)) return crlf + 4;
  return lf + 2;
}

bool FrameReader::pending() {
  if (ended_) return true;
  // A message already whole in the buffer is pending; one cut short waits for the client.
  const size_t end = header_end();
  if (end != std::string::npos) {
    const long long length = content_length(std::string_view(buffer_).substr(0, end));
    if (length < 0 || buffer_.size() >= end + static_cast<size_t>(length)) return true;
  }
  return source_.ready();
}

Frame FrameReader::next() {
  // Blank lines between messages are no header.
  size_t end = std::string::npos;
  while (true) {
    const size_t skip = buffer_.find_first_not_of("\r\n");
    buffer_.erase(0, skip == std::string::npos ? buffer_.size() : skip);
    end = header_end();
    if (end != std::string::npos) break;
    if (buffer_.size() > kMaxHeaderBytes) {
      // No header ends here: drop what came and look for the next one.
      const size_t keep = std::min<size_t>(buffer_.size(), 3);
      buffer_.erase(0, buffer_.size() - keep);
      return {Frame::Kind::kBadHeader, "", "a header block longer than 8 KiB"};
    }
    if (!fill()) return {Frame::Kind::kEnd, "", ""};
  }
  const long long length = content_length(std::string_view(buffer_).substr(0, end));
  if (length < 0) {
    buffer_.erase(0, end);
    return {Frame::Kind::kBadHeader, "", "a header block without a valid Content-Length"};
  }
  buffer_.erase(0, end);
  const size_t size = static_cast<size_t>(length);
  if (size > kMaxBodyBytes) {
    // Skipped as it streams in, so that a huge body never sits in memory.
    size_t left = size;
    while (left > 0) {
      if (buffer_.empty() && !fill()) return {Frame::Kind::kEnd, "", ""};
      const size_t n = std::min(left, buffer_.size());
      buffer_.erase(0, n);
      left -= n;
    }
    return {Frame::Kind::kTooLarge, "",
            "a message of " + std::to_string(size) + " bytes, above the " +
                std::to_string(kMaxBodyBytes / (1024 * 1024)) + " MiB taken"};
  }
  while (buffer_.size() < size) {
    if (!fill()) return {Frame::Kind::kEnd, "", ""};
  }
  Frame f{Frame::Kind::kMessage, buffer_.substr(0, size), ""};
  buffer_.erase(0, size);
  if (buffer_.capacity() > 2 * kMaxHeaderBytes && buffer_.size() < kMaxHeaderBytes) {
    buffer_.shrink_to_fit();  // a big message's room is not kept for the next small ones
  }
  return f;
}

std::string frame(std::string_view body) {
  std::string out = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  out += body;
  return out;
}

}  // namespace scenario::lsp

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <streambuf>

#include "format/console_output.h"
#include "format/windows_support.h"

namespace scenario {
namespace {

HANDLE handle_of(int fd) {
  return GetStdHandle(fd == kStandardError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
}

bool is_console(HANDLE h) {
  DWORD mode = 0;
  return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode) != 0;
}

// The length of the well-formed UTF-8 sequence at the start of text, 0 when there is none.
size_t utf8_sequence(std::string_view text) {
  const auto at = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = at(0);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  }
  if (length == 0 || text.size() < length || at(1) < low || at(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if ((at(i) & 0xC0) != 0x80) return 0;
  }
  return length;
}

// The characters the Linux tool's bytes stand for: its messages and paths are UTF-8, and the
// rows it quotes from a source are the source's Windows-1252 bytes, which a terminal there shows
// as they come. Each well-formed UTF-8 sequence is taken as one, and any other byte as
// Windows-1252, so that both show as the author wrote them.
std::wstring characters(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  while (!text.empty()) {
    const auto c = static_cast<unsigned char>(text[0]);
    size_t used = c < 0x80 ? 1 : utf8_sequence(text);
    wchar_t wide[2] = {};
    int n = 0;
    if (c < 0x80) {
      wide[0] = c;
      n = 1;
    } else if (used > 0) {
      n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(used), wide, 2);
    } else {
      used = 1;
      n = MultiByteToWideChar(1252, 0, text.data(), 1, wide, 1);
    }
    out.append(wide, static_cast<size_t>(n));
    text.remove_prefix(used);
  }
  return out;
}

// Characters to a console: WriteConsoleW shows them whatever the console's code page (the
// system's ANSI one, or 65001), where bytes would be read in that code page.
void write_characters(HANDLE h, std::string_view bytes) {
  const std::wstring text = characters(bytes);
  const wchar_t* p = text.data();
  DWORD left = static_cast<DWORD>(text.size());
  while (left > 0) {
    DWORD written = 0;
    if (!WriteConsoleW(h, p, left, &written, nullptr) || written == 0) return;
    p += written;
    left -= written;
  }
}

void write_bytes(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return;
    bytes.remove_prefix(written);
  }
}

// How many leading bytes of text to write now: a UTF-8 sequence cut short at the end is kept
// for the next write rather than shown as two wrong characters.
size_t whole_sequences(std::string_view text) {
  for (size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto c = static_cast<unsigned char>(text[text.size() - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 1;
    return length > back ? text.size() - back : text.size();
  }
  return text.size();
}

// A stream buffer that writes a console's characters.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE h) : h_(h) {}

 protected:
  int_type overflow(int_type c) override {
    if (c != traits_type::eof()) {
      pending_.push_back(static_cast<char>(c));
      if (pending_.size() >= 4096) sync();
    }
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    pending_.append(s, static_cast<size_t>(n));
    if (pending_.size() >= 4096) sync();
    return n;
  }
  int sync() override {
    const size_t end = whole_sequences(pending_);
    write_characters(h_, std::string_view(pending_).substr(0, end));
    pending_.erase(0, end);
    return 0;
  }

 private:
  HANDLE h_;
  std::string pending_;
};

}  // namespace

void write_console(int fd, std::string_view text) {
  const HANDLE h = handle_of(fd);
  if (is_console(h)) {
    write_characters(h, text);
  } else {
    write_bytes(h, text);
  }
}

void route_standard_streams() {
  // Files and pipes get the bytes the program writes, line ends included, as on Linux.
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // Never destroyed: the streams are flushed at exit, after every static object is gone.
  if (const HANDLE out = handle_of(kStandardOutput); is_console(out)) {
    std::cout.flush();
    std::cout.rdbuf(new ConsoleBuffer(out));
  }
  if (const HANDLE err = handle_of(kStandardError); is_console(err)) {
    std::cerr.rdbuf(new ConsoleBuffer(err));
  }
}

}  // namespace scenario

// What the Windows files of the platform layer share: paths handed to the wide-character
// functions, the system's messages, and handles closed on every way out. Included only by the
// *_windows.cpp files.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace scenario::windows {

// A path as the program holds it (UTF-8, as the command line gives it; bytes that are not
// UTF-8, such as a Windows-1252 scenario name, are taken as Windows-1252) for the *W functions.
std::wstring wide_path(std::string_view path);
// Text from the wide-character functions, as UTF-8.
std::string utf8(std::wstring_view text);
// The system's message for an error code ("Access is denied."), without its line end.
std::string system_message(DWORD error);

class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  void close() {
    if (valid()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

}  // namespace scenario::windows

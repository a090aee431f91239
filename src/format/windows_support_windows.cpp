#include "format/windows_support.h"

namespace scenario::windows {

std::wstring wide_path(std::string_view path) {
  if (path.empty()) return {};
  const int size = static_cast<int>(path.size());
  UINT code_page = CP_UTF8;
  int n = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, path.data(), size, nullptr, 0);
  if (n <= 0) {
    code_page = 1252;
    n = MultiByteToWideChar(code_page, 0, path.data(), size, nullptr, 0);
  }
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, path.data(), size, out.data(), n);
  // The program joins names with '/', which the system takes for '\' everywhere but in a path
  // it is told to take literally (\\?\...).
  if (out.rfind(L"\\\\?\\", 0) == 0) {
    for (wchar_t& c : out) c = c == L'/' ? L'\\' : c;
  }
  return out;
}

std::string utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::string system_message(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text),
      0, nullptr);
  if (n == 0 || text == nullptr) return "system error " + std::to_string(error);
  std::wstring message(text, n);
  LocalFree(text);
  while (!message.empty() &&
         (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  return utf8(message);
}

}  // namespace scenario::windows

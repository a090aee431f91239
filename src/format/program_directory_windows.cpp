#include "format/program_directory.h"

#include <vector>

#include "format/file_error.h"
#include "format/windows_support.h"

namespace scenario {

std::string program_directory() {
  // The wide form, so that a folder named beyond the code page is found as it is.
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) throw FileError("scenario-build.exe", windows::system_message(GetLastError()));
    if (n < buf.size()) {
      std::wstring exe(buf.data(), n);
      const size_t sep = exe.find_last_of(L"\\/");
      if (sep == std::wstring::npos) return ".";
      // A drive's root keeps its separator: "C:\".
      return windows::utf8(exe.substr(0, sep == 2 && exe[1] == L':' ? sep + 1 : sep));
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace scenario

// console-interrupt EVENT DELAY_MS PROGRAM: runs PROGRAM in a console of its own, sends the
// console's EVENT (c: Ctrl-C, break: Ctrl-Break) to every process of that console after
// DELAY_MS milliseconds, and exits with the program's exit status (or 255 when something
// failed). Group 0 (the whole console) rather than the program's own process group, which a
// Ctrl-C would not reach and wine's GenerateConsoleCtrlEvent does not take.
// The Windows counterpart of sending SIGINT to a child: console events reach only processes
// on one console, which a test binary's caller need not give it.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fputs("usage: console-interrupt c|break DELAY_MS PROGRAM\n", stderr);
    return 255;
  }
  const bool ctrl_c = std::wstring(argv[1]) == L"c";
  const DWORD delay = static_cast<DWORD>(_wtoi(argv[2]));
  // A console of our own, shared with the child: the events go to a console's processes.
  FreeConsole();
  if (!AllocConsole()) {
    std::fprintf(stderr, "console-interrupt: AllocConsole failed (%lu)\n", GetLastError());
    return 255;
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring line = L"\"" + std::wstring(argv[3]) + L"\"";
  if (!CreateProcessW(argv[3], line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    std::fprintf(stderr, "console-interrupt: cannot start the program (%lu)\n", GetLastError());
    return 255;
  }
  // Ignored here from now on; set after the child started, since children inherit it.
  SetConsoleCtrlHandler(nullptr, TRUE);
  if (WaitForSingleObject(pi.hProcess, delay) == WAIT_TIMEOUT) {
    const BOOL sent = GenerateConsoleCtrlEvent(ctrl_c ? CTRL_C_EVENT : CTRL_BREAK_EVENT, 0);
    if (!sent) {
      std::fprintf(stderr, "console-interrupt: GenerateConsoleCtrlEvent failed (%lu)\n",
                   GetLastError());
    }
  }
  if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_TIMEOUT) {
    TerminateProcess(pi.hProcess, 254);
    WaitForSingleObject(pi.hProcess, INFINITE);
  }
  DWORD code = 255;
  GetExitCodeProcess(pi.hProcess, &code);
  return static_cast<int>(code);
}

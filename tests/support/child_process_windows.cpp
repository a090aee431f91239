#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <filesystem>
#include <stdexcept>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

std::wstring wide(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

// One argument quoted as CommandLineToArgvW reads it back.
void append_quoted(std::wstring& line, const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') {
      ++i;
      ++backslashes;
    }
    if (i == arg.size()) {
      line.append(backslashes * 2, L'\\');
      break;
    }
    if (arg[i] == L'"') {
      line.append(backslashes * 2 + 1, L'\\');
    } else {
      line.append(backslashes, L'\\');
    }
    line += arg[i];
  }
  line += L'"';
}

std::string temp_output_file() {
  static unsigned counter = 0;
  for (;;) {
    const std::filesystem::path p =
        std::filesystem::temp_directory_path() /
        ("scenario-child-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++counter) + "-" + std::to_string(GetTickCount()));
    if (!std::filesystem::exists(p)) {
      write_file(p.string(), "");
      return p.string();
    }
  }
}

HANDLE inheritable(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  const HANDLE h = CreateFileW(wide(path).c_str(), access,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa,
                               disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  return h;
}

ChildResult finish(DWORD code, const std::string& out, const std::string& err) {
  ChildResult r;
  r.exit_code = static_cast<int>(code);
  r.out = read_file(out);
  r.err = read_file(err);
  std::error_code ec;
  std::filesystem::remove(out, ec);
  std::filesystem::remove(err, ec);
  return r;
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, const ChildOptions& options)
    : out_path_(temp_output_file()), err_path_(temp_output_file()) {
  if (options.file_size_limit || options.ignore_sigxfsz) {
    throw std::runtime_error("no file size limit on Windows");
  }
  std::wstring line;
  for (const std::string& a : argv) {
    if (!line.empty()) line += L' ';
    append_quoted(line, wide(a));
  }
  const HANDLE in = inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
  const HANDLE out = inheritable(out_path_, GENERIC_WRITE, TRUNCATE_EXISTING);
  const HANDLE err = inheritable(err_path_, GENERIC_WRITE, TRUNCATE_EXISTING);
  HANDLE broken_read = nullptr, broken_write = nullptr;
  if (options.stdout_broken_pipe) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    if (!CreatePipe(&broken_read, &broken_write, &sa, 0)) throw std::runtime_error("CreatePipe");
    CloseHandle(broken_read);  // nobody reads: a write fails
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in;
  si.hStdOutput = options.stdout_broken_pipe ? broken_write : out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  const std::wstring cwd = wide(options.cwd);
  const BOOL started = CreateProcessW(wide(argv[0]).c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, cwd.empty() ? nullptr : cwd.c_str(), &si, &pi);
  const DWORD start_error = GetLastError();
  CloseHandle(in);
  CloseHandle(out);
  CloseHandle(err);
  if (broken_write) CloseHandle(broken_write);
  if (!started) {
    throw std::runtime_error("cannot start " + argv[0] + ": error " + std::to_string(start_error));
  }
  CloseHandle(pi.hThread);
  pid_ = static_cast<pid_t>(pi.dwProcessId);
  process_ = reinterpret_cast<intptr_t>(pi.hProcess);
  timeout_ms_ = options.alarm_seconds ? *options.alarm_seconds * 1000u : INFINITE;
}

Child::~Child() {
  if (process_ != 0) {
    const HANDLE h = reinterpret_cast<HANDLE>(process_);
    TerminateProcess(h, 137);
    WaitForSingleObject(h, INFINITE);
    CloseHandle(h);
    std::error_code ec;
    std::filesystem::remove(out_path_, ec);
    std::filesystem::remove(err_path_, ec);
  }
}

ChildResult Child::wait() {
  const HANDLE h = reinterpret_cast<HANDLE>(process_);
  // A child that outlives its alarm is ended, as SIGALRM ends it on POSIX.
  if (WaitForSingleObject(h, static_cast<DWORD>(timeout_ms_)) == WAIT_TIMEOUT) {
    TerminateProcess(h, 142);
    WaitForSingleObject(h, INFINITE);
  }
  DWORD code = 0;
  GetExitCodeProcess(h, &code);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  const bool measured = K32GetProcessMemoryInfo(h, &memory, sizeof memory);
  CloseHandle(h);
  process_ = 0;
  pid_ = -1;
  ChildResult r = finish(code, out_path_, err_path_);
  if (measured) r.max_rss_kib = static_cast<long>(memory.PeakWorkingSetSize / 1024);
  return r;
}

ChildResult run_child(const std::vector<std::string>& argv, const ChildOptions& options) {
  return Child(argv, options).wait();
}

std::string SyscallEntry::string_arg(int) const { return {}; }
bool SyscallEntry::creates(std::string_view) const { return false; }
bool SyscallEntry::renames() const { return false; }

void set_file_size_limit(pid_t, uint64_t) {
  throw std::runtime_error("no file size limit on Windows");
}

std::optional<ChildResult> run_traced(const std::vector<std::string>&, const ChildOptions&,
                                      const std::function<bool(const SyscallEntry&)>&) {
  return std::nullopt;  // no system call tracing here
}

}  // namespace scenario::testing

#include <array>
#include <atomic>
#include <cstring>

#include "format/signal_cleanup.h"
#include "format/windows_support.h"

namespace scenario {
namespace {

// The slots as on POSIX; the console's handler runs in a thread of its own, so a critical
// section (taken again freely by the thread that holds it) stands for the blocked signals.
enum SlotState : int { kFree, kFilling, kArmed };

constexpr size_t kSlots = 16;
constexpr size_t kPathBytes = 4096;
constinit std::array<std::atomic<int>, kSlots> states{};
constinit char paths[kSlots][kPathBytes] = {};

CRITICAL_SECTION& deferring() {
  static CRITICAL_SECTION section = [] {
    CRITICAL_SECTION s;
    InitializeCriticalSection(&s);
    return s;
  }();
  return section;
}

BOOL WINAPI remove_armed_and_exit(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      break;
    default:
      return FALSE;  // logoff and shutdown: the default handling
  }
  // Waits for a file operation under way to finish with its arming, then never lets go: the
  // process ends here, as a shell reports an end by SIGINT.
  EnterCriticalSection(&deferring());
  for (size_t i = 0; i < kSlots; ++i) {
    if (states[i].load(std::memory_order_acquire) == kArmed) {
      DeleteFileW(windows::wide_path(paths[i]).c_str());
    }
  }
  TerminateProcess(GetCurrentProcess(), 130);
  return TRUE;
}

}  // namespace

void install_interrupt_cleanup() {
  deferring();
  SetConsoleCtrlHandler(remove_armed_and_exit, TRUE);
}

void arm_removal(const std::string& path) {
  if (path.empty() || path.size() >= kPathBytes) return;
  for (size_t i = 0; i < kSlots; ++i) {
    if (states[i].load(std::memory_order_acquire) == kArmed && path == paths[i]) return;
  }
  for (size_t i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!states[i].compare_exchange_strong(expected, kFilling, std::memory_order_acquire)) {
      continue;
    }
    std::memcpy(paths[i], path.c_str(), path.size() + 1);
    states[i].store(kArmed, std::memory_order_release);
    return;
  }
}

void disarm_removal(const std::string& path) {
  for (size_t i = 0; i < kSlots; ++i) {
    if (states[i].load(std::memory_order_acquire) == kArmed && path == paths[i]) {
      states[i].store(kFree, std::memory_order_release);
    }
  }
}

InterruptsDeferred::InterruptsDeferred() : previous_{} { EnterCriticalSection(&deferring()); }

InterruptsDeferred::~InterruptsDeferred() { LeaveCriticalSection(&deferring()); }

}  // namespace scenario

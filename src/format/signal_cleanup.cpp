#include "format/signal_cleanup.h"

#include <limits.h>
#include <pthread.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

namespace scenario {
namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// A slot is free, being filled (its path not yet whole) or armed; the handler reads only armed
// ones, whose path stays fixed until they are disarmed.
enum SlotState : int { kFree, kFilling, kArmed };

struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the slots' state");

// A writer keeps one temporary file in flight; the build adds its two sources.
std::array<Slot, 16> slots;

extern "C" void remove_armed_and_exit(int signal_number) {
  for (Slot& s : slots) {
    if (s.state.load(std::memory_order_acquire) == kArmed) unlink(s.path);
  }
  _exit(128 + signal_number);
}

sigset_t interrupt_set() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kInterrupts) sigaddset(&set, sig);
  return set;
}

}  // namespace

void install_interrupt_cleanup() {
  struct sigaction action = {};
  action.sa_handler = remove_armed_and_exit;
  // One cleanup at a time: a second signal waits for the first one's _exit.
  action.sa_mask = interrupt_set();
  for (int sig : kInterrupts) {
    struct sigaction previous = {};
    sigaction(sig, nullptr, &previous);
    // A signal ignored by whoever started the program (a shell's background job ignores
    // SIGINT) stays ignored.
    if (previous.sa_handler == SIG_IGN) continue;
    sigaction(sig, &action, nullptr);
  }
}

void arm_removal(const std::string& path) {
  if (path.empty() || path.size() >= PATH_MAX) return;
  for (Slot& s : slots) {
    if (s.state.load(std::memory_order_acquire) == kArmed && path == s.path) return;
  }
  for (Slot& s : slots) {
    int expected = kFree;
    if (!s.state.compare_exchange_strong(expected, kFilling, std::memory_order_acquire)) continue;
    std::memcpy(s.path, path.c_str(), path.size() + 1);
    s.state.store(kArmed, std::memory_order_release);
    return;
  }
}

void disarm_removal(const std::string& path) {
  for (Slot& s : slots) {
    if (s.state.load(std::memory_order_acquire) == kArmed && path == s.path) {
      s.state.store(kFree, std::memory_order_release);
    }
  }
}

InterruptsDeferred::InterruptsDeferred() {
  const sigset_t set = interrupt_set();
  pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

InterruptsDeferred::~InterruptsDeferred() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace scenario

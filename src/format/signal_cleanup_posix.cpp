#include "format/signal_cleanup.h"

#include <limits.h>
#include <pthread.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>

namespace scenario {
namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// A slot is free, being filled (its path not yet whole) or armed; the handler reads only armed
// ones, whose path stays fixed until they are disarmed.
enum SlotState : int { kFree, kFilling, kArmed };

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the slots' state");

// A writer keeps one temporary file in flight; the build adds its two sources. The states lie
// together, apart from the paths: a scan of them then touches one cache line, not the page of
// every path (a page fault each on a run's first arming). Initialised at compile time, so that
// start-up touches none of it.
constexpr size_t kSlots = 16;
constinit std::array<std::atomic<int>, kSlots> states{};
constinit char paths[kSlots][PATH_MAX] = {};

extern "C" void remove_armed_and_exit(int signal_number) {
  for (size_t i = 0; i < kSlots; ++i) {
    if (states[i].load(std::memory_order_acquire) == kArmed) unlink(paths[i]);
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

static_assert(sizeof(sigset_t) <= 128, "InterruptsDeferred keeps the previous mask");

InterruptsDeferred::InterruptsDeferred() {
  const sigset_t set = interrupt_set();
  pthread_sigmask(SIG_BLOCK, &set, reinterpret_cast<sigset_t*>(previous_));
}

InterruptsDeferred::~InterruptsDeferred() {
  pthread_sigmask(SIG_SETMASK, reinterpret_cast<const sigset_t*>(previous_), nullptr);
}

}  // namespace scenario

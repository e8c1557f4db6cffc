#include "export/ExitCleanup.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "numerics/Errors.h"

namespace {

constexpr int cSlotCount = 256;
constexpr size_t cPathBytes = 4096;
constexpr std::array<int, 3> cSignals = {SIGINT, SIGTERM, SIGHUP};

enum SlotState : int { Free, Filling, Ready };

// Read by the handler on any thread: the state says whether the path may be trusted.
struct Slot {
  std::atomic<int> state{Free};
  char path[cPathBytes]{};
};

// Constant-initialised: no start-up code touches its megabyte before a path is registered.
constinit Slot slots[cSlotCount];
std::atomic<int> deferring{0};
std::atomic<int> pendingSignal{0};
std::once_flag installOnce;

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");

void RemoveRegistered() {
  for (Slot& slot : slots) {
    if (slot.state.load() == Ready) ::unlink(slot.path);
  }
}

// Ends the process with the signal's own default action, so that the parent sees the signal.
void DeliverNow(int signal) {
  RemoveRegistered();
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
  ::raise(signal);
}

void OnSignal(int signal) {
  const int savedErrno = errno;
  if (deferring.load() > 0) {
    pendingSignal.store(signal);
    // The last DeferredSignals may have ended between the test and the store; it would not see it.
    if (deferring.load() > 0) {
      errno = savedErrno;
      return;
    }
    pendingSignal.store(0);
  }
  DeliverNow(signal);
  errno = savedErrno;
}

void InstallHandlers() {
  for (int signal : cSignals) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0) continue;
    const bool isDefault = (current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL;
    if (!isDefault) continue;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int other : cSignals) sigaddset(&action.sa_mask, other);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
  }
}

}  // namespace

ExitCleanup::ExitCleanup(const std::string& path) : slot_(-1) {
  std::call_once(installOnce, InstallHandlers);
  if (path.size() >= cPathBytes) throw UserError("Cannot write '" + path + "': the path is too long");
  for (int i = 0; i < cSlotCount; ++i) {
    int expected = Free;
    if (!slots[i].state.compare_exchange_strong(expected, Filling)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].state.store(Ready);
    slot_ = i;
    return;
  }
  throw UserError("Cannot write '" + path + "': too many files are being written at once");
}

ExitCleanup::~ExitCleanup() { slots[slot_].state.store(Free); }

DeferredSignals::DeferredSignals() {
  std::call_once(installOnce, InstallHandlers);
  deferring.fetch_add(1);
}

DeferredSignals::~DeferredSignals() {
  if (deferring.fetch_sub(1) != 1) return;
  if (const int signal = pendingSignal.exchange(0); signal != 0) DeliverNow(signal);
}

#include "runtime/core/flag_wait.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace rt {
namespace {

// One mutex and condition for every flag: the flags are few, set rarely, and a waiter woken for
// another thread's flag only tests its own once more.
struct FlagWaiters {
  std::mutex mutex;
  std::condition_variable changed;
};

FlagWaiters& waiters() {
  static FlagWaiters shared;
  return shared;
}

}  // namespace

void wakeFlagWaiters() {
  FlagWaiters& w = waiters();
  // Taking the mutex orders the wake-up after a waiter's test of its flag: a waiter that has
  // tested and not yet slept holds the mutex, so the notification cannot fall in between.
  { std::lock_guard lock(w.mutex); }
  w.changed.notify_all();
}

bool sleepUntilFlag(int32_t ms, bool (*isSet)()) {
  FlagWaiters& w = waiters();
  std::unique_lock lock(w.mutex);
  return w.changed.wait_for(lock, std::chrono::milliseconds(ms > 0 ? ms : 0), isSet);
}

}  // namespace rt

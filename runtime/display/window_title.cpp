#include "runtime/display/window_title.h"

#include <atomic>
#include <mutex>

#include "runtime/core/clock.h"
#include "runtime/core/errors.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/window.h"
#include "runtime/display/window_state.h"

namespace rt {
namespace {

std::mutex titleMutex;
std::string windowTitleText;                   // guarded by titleMutex
bool titleSet = false;                         // guarded by titleMutex
void (*showTitleOnWindow)(const char*) = nullptr;  // guarded by titleMutex
std::atomic<uint64_t> titleVersion{0};    // bumped by each setWindowTitle
std::atomic<uint64_t> appliedVersion{0};  // the version the window shows

// Upper bound of the wait for DisplayThread, in 1 ms sleeps.
constexpr int kApplyWaitLimitMs = 1000;

}  // namespace

void setWindowTitle(const RtString& text) {
  if (errorIsPending()) return;
  std::string_view value = text.view();
  value = value.substr(0, value.find('\0'));
  uint64_t version;
  {
    std::lock_guard lock(titleMutex);
    windowTitleText.assign(value);
    titleSet = true;
    version = titleVersion.fetch_add(1, std::memory_order_acq_rel) + 1;
  }
  // Created under the same mutex, so a window that did not exist above takes this title.
  if (!windowExists.load(std::memory_order_acquire)) return;
  wakePresenter();
  for (int waited = 0; waited < kApplyWaitLimitMs; ++waited) {
    if (appliedVersion.load(std::memory_order_acquire) >= version) return;
    if (exitInProgress.load(std::memory_order_acquire) != 0) return;
    sleepMs(1);
  }
}

int createWindowWithTitle(int (*createWindow)(const char* title),
                          void (*showTitle)(const char* title)) {
  std::lock_guard lock(titleMutex);
  int window = createWindow(titleSet ? windowTitleText.c_str() : "Untitled");
  showTitleOnWindow = showTitle;
  appliedVersion.store(titleVersion.load(std::memory_order_acquire), std::memory_order_release);
  windowExists.store(true, std::memory_order_release);
  return window;
}

void applyPendingWindowTitle() {
  uint64_t version = titleVersion.load(std::memory_order_acquire);
  if (version == appliedVersion.load(std::memory_order_relaxed)) return;
  std::lock_guard lock(titleMutex);
  if (showTitleOnWindow != nullptr) showTitleOnWindow(windowTitleText.c_str());
  appliedVersion.store(titleVersion.load(std::memory_order_acquire), std::memory_order_release);
}

std::string currentWindowTitle() {
  std::lock_guard lock(titleMutex);
  return windowTitleText;
}

void resetWindowTitleForTesting() {
  std::lock_guard lock(titleMutex);
  windowTitleText.clear();
  titleSet = false;
  showTitleOnWindow = nullptr;
  titleVersion.store(0);
  appliedVersion.store(0);
  windowExists.store(false);
}

}  // namespace rt

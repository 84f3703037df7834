#include "runtime/core/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace rt {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Taken during static initialisation, i.e. at process start.
const SteadyClock::time_point processStart = SteadyClock::now();
TimeBase recordedBase;

}  // namespace

int64_t millisecondClock() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - processStart)
      .count();
}

void sleepMs(int32_t ms) {
  if (ms <= 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TimeBase alignToWallClockSecond() {
  TimeBase base;
  std::time_t first = std::time(nullptr);
  if (first == static_cast<std::time_t>(-1)) {
    base.startCount = millisecondClock();
    return base;
  }
  std::time_t now = first;
  while (now == first) now = std::time(nullptr);
  base.startCount = millisecondClock();
  std::tm local{};
  if (localtime_r(&now, &local) != nullptr) {
    base.startTimeOfDayMs = local.tm_hour * 3600000LL + local.tm_min * 60000LL + local.tm_sec * 1000LL;
  }
  return base;
}

const TimeBase& timeBase() { return recordedBase; }
void setTimeBase(const TimeBase& base) { recordedBase = base; }

uint32_t timeOfDayTicks(const TimeBase& base, int64_t nowMs) {
  int64_t msOfDay = (nowMs - base.startCount + base.startTimeOfDayMs) % 86400000LL;
  if (msOfDay < 0) msOfDay += 86400000LL;
  return static_cast<uint32_t>(static_cast<double>(msOfDay) * 0.0182);
}

}  // namespace rt

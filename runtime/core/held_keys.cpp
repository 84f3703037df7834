#include "runtime/core/held_keys.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "runtime/core/low_memory.h"

namespace rt {
namespace {

std::mutex heldMutex;
std::vector<int32_t> held;  // in the order the keys were added

constexpr int32_t kKeypadCharacters[16] = {'0', '1', '2', '3', '4', '5', '6', '7',
                                           '8', '9', '.', '/', '*', '-', '+', 13};
constexpr int32_t kKeypadExtended[11] = {kInsertKey, 0x4F00, 0x5000, 0x5100, 0x4B00, 0x4C00,
                                         0x4D00, 0x4700, 0x4800, 0x4900, kDeleteKey};

// The keypad key that stands for the same key, or 0.
int32_t keypadTwin(int32_t code) {
  for (int32_t i = 0; i < 16; ++i) {
    if (kKeypadCharacters[i] == code) return kKeypadFirstKey + i;
  }
  for (int32_t i = 0; i < 11; ++i) {
    if (kKeypadExtended[i] == code) return kKeypadNavigationFirstKey + i;
  }
  return 0;
}

bool contains(int32_t code) { return std::find(held.begin(), held.end(), code) != held.end(); }

bool isHeldLocked(int32_t code) {
  if (contains(code)) return true;
  int32_t twin = keypadTwin(code);
  return twin != 0 && contains(twin);
}

uint8_t statusByte(std::initializer_list<std::pair<int, std::initializer_list<int32_t>>> bits) {
  uint8_t value = 0;
  for (const auto& [bit, codes] : bits) {
    for (int32_t code : codes) {
      if (isHeldLocked(code)) value = static_cast<uint8_t>(value | 1 << bit);
    }
  }
  return value;
}

}  // namespace

int32_t keypadKeyMeaning(int32_t code) {
  if (code >= kKeypadFirstKey && code < kKeypadFirstKey + 16) return kKeypadCharacters[code - kKeypadFirstKey];
  if (code >= kKeypadNavigationFirstKey && code < kKeypadNavigationFirstKey + 11) {
    return kKeypadExtended[code - kKeypadNavigationFirstKey];
  }
  return 0;
}

int32_t keyIsHeld(int32_t code) {
  std::lock_guard lock(heldMutex);
  return isHeldLocked(code) ? 1 : 0;
}

void addHeldKey(int32_t code) {
  std::lock_guard lock(heldMutex);
  if (!contains(code)) held.push_back(code);
}

void removeHeldKey(int32_t code) {
  std::lock_guard lock(heldMutex);
  auto at = std::find(held.begin(), held.end(), code);
  if (at != held.end()) held.erase(at);
}

void clearHeldKeys() {
  std::lock_guard lock(heldMutex);
  held.clear();
}

void refreshKeyboardStatus() {
  std::lock_guard lock(heldMutex);
  uint8_t first = statusByte({{0, {kRightShiftKey}}, {1, {kLeftShiftKey}},
                              {2, {kRightCtrlKey, kLeftCtrlKey}}, {3, {kRightAltKey, kLeftAltKey}},
                              {4, {kScrollLockStateKey}}, {5, {kNumLockKey}}, {6, {kCapsLockKey}},
                              {7, {kInsertModeKey}}});
  uint8_t second = statusByte({{0, {kLeftCtrlKey}}, {1, {kLeftAltKey}}, {2, {kSystemRequestKey}},
                               {3, {kPauseKey}}, {4, {kScrollLockKey}}, {7, {kInsertKey}}});
  uint8_t third = static_cast<uint8_t>(statusByte({{0, {kRightCtrlKey}}, {1, {kRightAltKey}}}) | 0x10);
  uint8_t* memory = lowMemory();
  std::atomic_ref<uint8_t>(memory[kKeyStatusOffset1]).store(first, std::memory_order_relaxed);
  std::atomic_ref<uint8_t>(memory[kKeyStatusOffset2]).store(second, std::memory_order_relaxed);
  std::atomic_ref<uint8_t>(memory[kKeyStatusOffset3]).store(third, std::memory_order_relaxed);
}

}  // namespace rt

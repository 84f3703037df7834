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

// The keypad key that stands for the same key, or 0.
int32_t keypadTwin(int32_t code) {
  switch (code) {
    case 13: return 100271;
    case 42: return 100268;
    case 43: return 100270;
    case 45: return 100269;
    case 46: return 100266;
    case 47: return 100267;
    default: break;
  }
  if (code >= 48 && code <= 57) return 100256 + (code - 48);
  if (code > 255 && code <= 0xFFFF && (code & 0xFF) == 0) {
    switch (code >> 8) {
      case 82: return 200000;
      case 79: return 200001;
      case 80: return 200002;
      case 81: return 200003;
      case 75: return 200004;
      case 76: return 200005;
      case 77: return 200006;
      case 71: return 200007;
      case 72: return 200008;
      case 73: return 200009;
      case 83: return 200010;
      default: break;
    }
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
  uint8_t first = statusByte({{0, {100303}}, {1, {100304}}, {2, {100305, 100306}},
                              {3, {100307, 100308}}, {4, {kScrollLockStateKey}},
                              {5, {kNumLockKey}}, {6, {kCapsLockKey}}, {7, {kInsertModeKey}}});
  uint8_t second = statusByte({{0, {100306}}, {1, {100308}}, {2, {100317}}, {3, {100019}},
                               {4, {kScrollLockKey}}, {7, {0x5200}}});
  uint8_t third = static_cast<uint8_t>(statusByte({{0, {100305}}, {1, {100307}}}) | 0x10);
  uint8_t* memory = lowMemory();
  std::atomic_ref<uint8_t>(memory[kKeyStatusOffset1]).store(first, std::memory_order_relaxed);
  std::atomic_ref<uint8_t>(memory[kKeyStatusOffset2]).store(second, std::memory_order_relaxed);
  std::atomic_ref<uint8_t>(memory[kKeyStatusOffset3]).store(third, std::memory_order_relaxed);
}

}  // namespace rt

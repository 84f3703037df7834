#include "runtime/core/key_queue.h"

#include <atomic>

#include "runtime/core/low_memory.h"

namespace rt {
namespace {

constexpr uint8_t kFirstSlot = 0x1E;
constexpr uint8_t kPastLastSlot = 0x3E;

std::atomic_ref<uint8_t> headByte() { return std::atomic_ref<uint8_t>(lowMemory()[kKeyBufferHeadOffset]); }
std::atomic_ref<uint8_t> tailByte() { return std::atomic_ref<uint8_t>(lowMemory()[kKeyBufferTailOffset]); }

uint8_t nextSlot(uint8_t slot) {
  uint8_t next = static_cast<uint8_t>(slot + 2);
  return next == kPastLastSlot ? kFirstSlot : next;
}

}  // namespace

void enqueueKey(uint8_t character, uint8_t scan) {
  uint8_t tail = tailByte().load(std::memory_order_relaxed);
  uint8_t next = nextSlot(tail);
  if (next == headByte().load(std::memory_order_acquire)) return;  // full: the key is dropped
  uint8_t* entry = lowMemory() + 0x400 + tail;
  std::atomic_ref<uint8_t>(entry[0]).store(character, std::memory_order_relaxed);
  std::atomic_ref<uint8_t>(entry[1]).store(scan, std::memory_order_relaxed);
  tailByte().store(next, std::memory_order_release);
}

bool takeKey(KeyEntry& entry) {
  uint8_t head = headByte().load(std::memory_order_relaxed);
  if (head == tailByte().load(std::memory_order_acquire)) return false;
  uint8_t* slot = lowMemory() + 0x400 + head;
  entry.character = std::atomic_ref<uint8_t>(slot[0]).load(std::memory_order_relaxed);
  entry.scan = std::atomic_ref<uint8_t>(slot[1]).load(std::memory_order_relaxed);
  headByte().store(nextSlot(head), std::memory_order_release);
  return true;
}

}  // namespace rt

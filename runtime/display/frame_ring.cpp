#include "runtime/display/frame_ring.h"

#include <cstdlib>

namespace rt {

DisplayFrame::~DisplayFrame() { std::free(pixels); }

bool DisplayFrame::ensureSize(int32_t newWidth, int32_t newHeight) {
  size_t bytes = static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight) * 4;
  if (bytes > capacity) {
    std::free(pixels);
    pixels = static_cast<uint32_t*>(std::malloc(bytes));
    capacity = pixels != nullptr ? bytes : 0;
    if (pixels == nullptr) return false;
  }
  width = newWidth;
  height = newHeight;
  return true;
}

DisplayFrame* FrameRing::claim() {
  for (;;) {
    // The oldest published frame the renderer has not taken, unless a Free frame exists
    // (the last Free one wins).
    DisplayFrame* choice = nullptr;
    for (DisplayFrame& f : frames_) {
      uint64_t order = f.order.load(std::memory_order_relaxed);
      if (f.state.load(std::memory_order_acquire) == FrameState::Ready && order < frameOrderCounter_ &&
          (choice == nullptr || order < choice->order.load(std::memory_order_relaxed))) {
        choice = &f;
      }
    }
    bool free = false;
    for (DisplayFrame& f : frames_) {
      if (f.state.load(std::memory_order_acquire) == FrameState::Free) choice = &f, free = true;
    }
    if (choice == nullptr) return nullptr;
    FrameState expected = free ? FrameState::Free : FrameState::Ready;
    if (!choice->state.compare_exchange_strong(expected, FrameState::Filling,
                                               std::memory_order_acq_rel)) {
      continue;  // the renderer took or freed it meanwhile; look again
    }
    choice->order.store(frameOrderCounter_++, std::memory_order_relaxed);
    return choice;
  }
}

void FrameRing::publish(DisplayFrame& frame) {
  uint64_t order = frame.order.load(std::memory_order_relaxed);
  frame.state.store(FrameState::Ready, std::memory_order_release);
  lastBuilt_.store(order, std::memory_order_release);
}

void FrameRing::discard(DisplayFrame& frame) {
  if (frame.state.load(std::memory_order_relaxed) != FrameState::Filling) return;
  frame.state.store(FrameState::Free, std::memory_order_release);
}

RenderTake FrameRing::take() {
  RenderTake result;
  for (;;) {
    DisplayFrame* showing = nullptr;
    for (DisplayFrame& f : frames_) {
      if (f.state.load(std::memory_order_acquire) == FrameState::Showing) showing = &f;
    }
    uint64_t floor = showing != nullptr ? showing->order.load(std::memory_order_relaxed) : 0;
    DisplayFrame* newest = nullptr;
    uint64_t newestOrder = floor;
    for (DisplayFrame& f : frames_) {
      if (f.state.load(std::memory_order_acquire) != FrameState::Ready) continue;
      uint64_t order = f.order.load(std::memory_order_relaxed);
      if (order > newestOrder) newest = &f, newestOrder = order;
    }
    if (newest == nullptr) {
      result.showing = showing;
      return result;
    }
    FrameState expected = FrameState::Ready;
    if (!newest->state.compare_exchange_strong(expected, FrameState::Showing,
                                               std::memory_order_acq_rel)) {
      continue;  // reclaimed by the builder meanwhile; look again
    }
    for (DisplayFrame& f : frames_) {
      if (&f == newest || f.order.load(std::memory_order_relaxed) >= newestOrder) continue;
      FrameState state = f.state.load(std::memory_order_acquire);
      if (state == FrameState::Showing) {
        f.state.store(FrameState::Free, std::memory_order_release);
      } else if (state == FrameState::Ready) {
        FrameState ready = FrameState::Ready;
        f.state.compare_exchange_strong(ready, FrameState::Free, std::memory_order_acq_rel);
      }
    }
    result.showing = newest;
    result.newFrame = true;
    return result;
  }
}

FrameRing& frameRing() {
  static FrameRing ring;
  return ring;
}

}  // namespace rt

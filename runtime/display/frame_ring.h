// FrameRing: three 32-bit frames handed from the frame builder to the renderer without a lock.
//
// Writer side: the frame builder on RuntimeLoopThread claims a frame (Free -> Filling, or
// reclaims the oldest Ready frame when none is Free), fills it and publishes it (Filling ->
// Ready, release store) or discards it (Filling -> Free).
// Reader side: the renderer on DisplayThread takes the newest Ready frame (Ready -> Showing) and
// frees the older Showing and Ready frames (-> Free).
// States are read with acquire loads, so a frame's pixels are complete before it reads Ready.
// The two transitions out of Ready that both sides may attempt (the builder's reclaim and the
// renderer's take or free) are compare-and-swap, so at most one of them wins.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace rt {

enum class FrameState : int32_t { Free = 1, Filling = 2, Ready = 3, Showing = 4 };

struct DisplayFrame {
  std::atomic<FrameState> state{FrameState::Free};
  std::atomic<uint64_t> order{0};  // build number; larger is newer
  uint32_t* pixels = nullptr;       // width x height words 0xAARRGGBB (bytes B, G, R, A)
  int32_t width = 0;
  int32_t height = 0;
  size_t capacity = 0;  // bytes at pixels; only grows

  DisplayFrame() = default;
  DisplayFrame(const DisplayFrame&) = delete;
  DisplayFrame& operator=(const DisplayFrame&) = delete;
  ~DisplayFrame();

  // Makes room for width x height pixels (reallocating only when the buffer is too small) and
  // sets the size. Builder only, while the frame is Filling. False when memory runs out.
  bool ensureSize(int32_t newWidth, int32_t newHeight);
};

// What the renderer has to show after a take.
struct RenderTake {
  DisplayFrame* showing = nullptr;  // the frame to draw, nullptr when there is none
  bool newFrame = false;            // a Ready frame was taken in this call
};

class FrameRing {
 public:
  static constexpr int kFrames = 3;

  FrameRing() = default;
  FrameRing(const FrameRing&) = delete;
  FrameRing& operator=(const FrameRing&) = delete;

  // Builder: claims a frame and gives it the next order number; nullptr when every frame is
  // Showing or Filling (cannot happen with one builder and one renderer).
  DisplayFrame* claim();
  // Builder: Filling -> Ready; lastBuiltOrder := its order.
  void publish(DisplayFrame& frame);
  // Builder: Filling -> Free. lastBuiltOrder stays, so an unchanged screen costs the renderer
  // nothing: with software OpenGL a redraw of the same picture every pass would cost several
  // percent of a core. Expose events force the redraws that are needed (window_state.h).
  void discard(DisplayFrame& frame);

  // Renderer: takes the newest Ready frame newer than the Showing one, frees older frames.
  RenderTake take();

  uint64_t lastBuiltOrder() const { return lastBuilt_.load(std::memory_order_acquire); }
  DisplayFrame& frame(int index) { return frames_[index]; }

 private:
  DisplayFrame frames_[kFrames];
  uint64_t frameOrderCounter_ = 1;  // builder only
  std::atomic<uint64_t> lastBuilt_{0};
};

// The process's ring, shared by the frame builder and the renderer.
FrameRing& frameRing();

}  // namespace rt

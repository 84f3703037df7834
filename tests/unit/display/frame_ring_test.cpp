#include "runtime/display/frame_ring.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace rt {
namespace {

// Claims a frame, writes `value` into its first pixel and publishes it.
DisplayFrame* publishFrame(FrameRing& ring, uint32_t value) {
  DisplayFrame* frame = ring.claim();
  EXPECT_NE(frame, nullptr);
  if (frame == nullptr) return nullptr;
  EXPECT_TRUE(frame->ensureSize(2, 2));
  frame->pixels[0] = value;
  ring.publish(*frame);
  return frame;
}

int countState(FrameRing& ring, FrameState state) {
  int n = 0;
  for (int i = 0; i < FrameRing::kFrames; ++i) n += ring.frame(i).state.load() == state;
  return n;
}

TEST(FrameRingTest, RendererShowsTheNewestReadyFrameAndFreesOlderOnes) {
  FrameRing ring;
  publishFrame(ring, 1);
  publishFrame(ring, 2);
  RenderTake take = ring.take();
  ASSERT_NE(take.showing, nullptr);
  EXPECT_TRUE(take.newFrame);
  EXPECT_EQ(take.showing->pixels[0], 2u);
  EXPECT_EQ(countState(ring, FrameState::Showing), 1);
  EXPECT_EQ(countState(ring, FrameState::Free), 2);
  // Nothing new: the Showing frame stays, no new frame is reported.
  RenderTake again = ring.take();
  EXPECT_EQ(again.showing, take.showing);
  EXPECT_FALSE(again.newFrame);
}

TEST(FrameRingTest, BuilderReclaimsTheOldestReadyFrameWhenTheRendererLags) {
  FrameRing ring;
  publishFrame(ring, 1);
  ring.take();  // frame with 1 is Showing
  DisplayFrame* second = publishFrame(ring, 2);
  DisplayFrame* third = publishFrame(ring, 3);
  ASSERT_EQ(countState(ring, FrameState::Free), 0);
  // No frame is Free: the builder reclaims the oldest Ready one (2), never the Showing one.
  DisplayFrame* reclaimed = ring.claim();
  EXPECT_EQ(reclaimed, second);
  EXPECT_GT(reclaimed->order.load(), third->order.load());
  reclaimed->pixels[0] = 4;
  ring.publish(*reclaimed);
  RenderTake take = ring.take();
  EXPECT_EQ(take.showing->pixels[0], 4u);
  EXPECT_EQ(countState(ring, FrameState::Free), 2);
}

TEST(FrameRingTest, DiscardFreesTheFrameAndAsksForNoRedraw) {
  FrameRing ring;
  publishFrame(ring, 1);
  uint64_t published = ring.lastBuiltOrder();
  DisplayFrame* frame = ring.claim();
  ring.discard(*frame);
  EXPECT_EQ(frame->state.load(), FrameState::Free);
  EXPECT_EQ(ring.lastBuiltOrder(), published);
}

TEST(FrameRingTest, FrameBufferOnlyGrows) {
  DisplayFrame frame;
  ASSERT_TRUE(frame.ensureSize(640, 480));
  uint32_t* buffer = frame.pixels;
  ASSERT_TRUE(frame.ensureSize(640, 400));
  EXPECT_EQ(frame.pixels, buffer);
  EXPECT_EQ(frame.capacity, 640u * 480 * 4);
  EXPECT_EQ(frame.height, 400);
}

// A builder and a renderer on real threads: the renderer never sees a torn frame (all pixels
// of a frame carry its number), frame numbers it shows only increase, and at most one frame is
// Showing. Run under ThreadSanitizer by the test command.
TEST(FrameRingTest, ConcurrentBuilderAndRendererStayConsistent) {
  FrameRing ring;
  constexpr uint32_t kFrames = 20000;
  std::atomic<bool> done{false};
  std::thread builder([&] {
    for (uint32_t n = 1; n <= kFrames; ++n) {
      DisplayFrame* frame = ring.claim();
      ASSERT_NE(frame, nullptr);
      ASSERT_TRUE(frame->ensureSize(16, 16));
      for (int i = 0; i < 256; ++i) frame->pixels[i] = n;
      if (n % 7 == 0) {
        ring.discard(*frame);
      } else {
        ring.publish(*frame);
      }
    }
    done = true;
  });
  uint32_t lastShown = 0;
  int shownFrames = 0;
  while (!done.load() || shownFrames == 0) {
    RenderTake take = ring.take();
    if (take.showing == nullptr) continue;
    uint32_t n = take.showing->pixels[0];
    for (int i = 0; i < 256; ++i) ASSERT_EQ(take.showing->pixels[i], n);
    ASSERT_GE(n, lastShown);
    ASSERT_EQ(countState(ring, FrameState::Showing), 1);
    lastShown = n;
    shownFrames += take.newFrame;
  }
  builder.join();
  EXPECT_GT(shownFrames, 0);
}

}  // namespace
}  // namespace rt

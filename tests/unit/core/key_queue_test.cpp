#include "runtime/core/key_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "runtime/core/low_memory.h"

namespace rt {
namespace {

class KeyQueueTest : public ::testing::Test {
 protected:
  void SetUp() override { resetLowMemory(); }
};

TEST_F(KeyQueueTest, EmptyQueueGivesNothing) {
  KeyEntry entry;
  EXPECT_FALSE(takeKey(entry));
  EXPECT_EQ(lowMemory()[kKeyBufferHeadOffset], 0x1E);
  EXPECT_EQ(lowMemory()[kKeyBufferTailOffset], 0x1E);
}

TEST_F(KeyQueueTest, TwentyKeysWithoutReadingKeepTheFirstFifteen) {
  for (uint8_t i = 0; i < 20; ++i) enqueueKey(static_cast<uint8_t>('a' + i), i);
  std::vector<uint8_t> read;
  KeyEntry entry;
  while (takeKey(entry)) read.push_back(entry.character);
  ASSERT_EQ(read.size(), 15u);
  for (uint8_t i = 0; i < 15; ++i) EXPECT_EQ(read[i], 'a' + i);
}

TEST_F(KeyQueueTest, EntriesLiveAtTheLegacyOffsetsAndWrap) {
  enqueueKey(27, 1);
  EXPECT_EQ(lowMemory()[0x41E], 27);
  EXPECT_EQ(lowMemory()[0x41F], 1);
  EXPECT_EQ(lowMemory()[kKeyBufferTailOffset], 0x20);
  KeyEntry entry;
  // Cycle through the ring several times; head and tail stay within 0x1E..0x3C.
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(takeKey(entry));
    enqueueKey(static_cast<uint8_t>(i), 0);
    EXPECT_GE(lowMemory()[kKeyBufferTailOffset], 0x1E);
    EXPECT_LE(lowMemory()[kKeyBufferTailOffset], 0x3C);
  }
}

// One writer and one reader on real threads: every key arrives once, in order (run under
// ThreadSanitizer by the test command).
TEST_F(KeyQueueTest, OneWriterOneReaderKeepOrder) {
  constexpr int kKeys = 20000;
  std::thread writer([] {
    for (int i = 0; i < kKeys; ++i) {
      // Wait while full so that no key is dropped in this test.
      for (;;) {
        uint8_t head = std::atomic_ref<uint8_t>(lowMemory()[kKeyBufferHeadOffset]).load();
        uint8_t tail = std::atomic_ref<uint8_t>(lowMemory()[kKeyBufferTailOffset]).load();
        uint8_t next = static_cast<uint8_t>(tail + 2 == 0x3E ? 0x1E : tail + 2);
        if (next != head) break;
        std::this_thread::yield();
      }
      enqueueKey(static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8));
    }
  });
  int expected = 0;
  KeyEntry entry;
  while (expected < kKeys) {
    if (!takeKey(entry)) {
      std::this_thread::yield();
      continue;
    }
    ASSERT_EQ(entry.character, static_cast<uint8_t>(expected));
    ASSERT_EQ(entry.scan, static_cast<uint8_t>(expected >> 8));
    ++expected;
  }
  writer.join();
}

}  // namespace
}  // namespace rt

// readKey: the string forms of queued keys, overflow, and its behaviour under a pending error.
#include "runtime/core/read_key.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "runtime/core/errors.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/string_engine.h"
#include "tests/support/runtime_test.h"

namespace rt {
namespace {

class ReadKeyTest : public testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    resetLowMemory();
    initStringEngine();
    mark = tempStackTop();
  }
  void TearDown() override {
    releaseTempsAbove(mark);
    EXPECT_EQ(checkStringEngineInvariants(), "");
    RuntimeTest::TearDown();
  }
  // Reads one key and returns its bytes; the result must be a temporary of the statement.
  std::string read() {
    RtString* key = readKey();
    EXPECT_TRUE(key->temporary);
    return std::string(key->view());
  }
  int32_t mark = 0;
};

TEST_F(ReadKeyTest, GivesTheEmptyStringWhenNoKeyIsWaiting) { EXPECT_EQ(read(), ""); }

TEST_F(ReadKeyTest, QueuedPairsReadAsOneOrTwoBytes) {
  const struct {
    uint8_t character, scan;
    std::string expected;
    const char* key;
  } cases[] = {
      {27, 1, std::string(1, '\x1B'), "Escape"},
      {0, 72, std::string("\0\x48", 2), "Up"},
      {0, 84, std::string("\0\x54", 2), "Shift+F1"},
      {1, 30, std::string(1, '\x01'), "Ctrl+A"},
      {0, 0, std::string(1, '\0'), "the code 0"},
      {233, 0, std::string(1, '\xE9'), "a character without a scan code"},
      {'a', 30, "a", "a"},
  };
  for (const auto& c : cases) {
    enqueueKey(c.character, c.scan);
    EXPECT_EQ(read(), c.expected) << c.key;
  }
  EXPECT_EQ(read(), "");
}

TEST_F(ReadKeyTest, PendingErrorGivesTheEmptyStringAndLeavesTheKeyWaiting) {
  enqueueKey('x', 45);
  pendingError = 5;
  EXPECT_EQ(read(), "");
  pendingError = 0;
  EXPECT_EQ(read(), "x");
}

// A writer thread stands in for DisplayThread: every key it queues is read exactly once, in
// order, through readKey (run under ThreadSanitizer by the test command).
TEST_F(ReadKeyTest, ConcurrentWriterKeysAllReachReadKeyInOrder) {
  constexpr int kKeys = 3000;
  std::thread writer([] {
    for (int i = 0; i < kKeys; ++i) {
      // Wait while the ring is full so that no key is dropped in this test.
      for (;;) {
        uint8_t head = std::atomic_ref<uint8_t>(lowMemory()[kKeyBufferHeadOffset]).load();
        uint8_t tail = std::atomic_ref<uint8_t>(lowMemory()[kKeyBufferTailOffset]).load();
        if ((tail + 2 == 0x3E ? 0x1E : tail + 2) != head) break;
        std::this_thread::yield();
      }
      enqueueKey(static_cast<uint8_t>(1 + i % 200), static_cast<uint8_t>(i % 7));
    }
  });
  int expected = 0;
  while (expected < kKeys) {
    int32_t statement = tempStackTop();
    std::string key = std::string(readKey()->view());
    releaseTempsAbove(statement);
    if (key.empty()) continue;
    ASSERT_EQ(key, std::string(1, static_cast<char>(1 + expected % 200))) << expected;
    ++expected;
  }
  writer.join();
}

}  // namespace
}  // namespace rt

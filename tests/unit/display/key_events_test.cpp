// keyPressed and keyReleased: queued pairs, the keys that steer the runtime (Pause, Break,
// Alt+Enter), the held-key records, and the lock-key sync.
#include "runtime/display/key_events.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/core/display_pause.h"
#include "runtime/core/errors.h"
#include "runtime/core/held_keys.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/shared_flags.h"
#include "runtime/display/key_translation.h"
#include "runtime/display/window_state.h"
#include "tests/support/runtime_test.h"

namespace rt {
namespace {

using Pair = std::pair<int, int>;  // (character, scan) as queued

constexpr int32_t kShift = kLeftShiftKey, kCtrl = kLeftCtrlKey, kAlt = kLeftAltKey;

class KeyEventsTest : public testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    resetKeyboard();
  }
  void TearDown() override {
    resetKeyboard();
    RuntimeTest::TearDown();
  }

  static void resetKeyboard() {
    resetLowMemory();
    clearHeldKeys();
    resetKeyRecordsForTesting();
    fullScreenRequest = -1;
    windowState().fullScreenMode = 0;
    windowState().fullScreenSmooth = false;
  }

  // Presses and releases `code` while `modifiers` are held.
  static void type(int32_t code, std::initializer_list<int32_t> modifiers = {}) {
    for (int32_t modifier : modifiers) keyPressed(modifier);
    keyPressed(code);
    keyReleased(code);
    for (int32_t modifier : modifiers) keyReleased(modifier);
  }

  // The character callback's path: the received byte, adjusted for Ctrl, then typed.
  static void typeCharacter(uint8_t received, std::initializer_list<int32_t> modifiers = {}) {
    bool ctrl = false, shift = false;
    for (int32_t m : modifiers) {
      ctrl = ctrl || m == kLeftCtrlKey || m == kRightCtrlKey;
      shift = shift || m == kLeftShiftKey || m == kRightShiftKey;
    }
    type(asciiKeyCode(received, ctrl, shift), modifiers);
  }

  static std::vector<Pair> queued() {
    std::vector<Pair> pairs;
    KeyEntry entry;
    while (takeKey(entry)) pairs.emplace_back(entry.character, entry.scan);
    return pairs;
  }
};

TEST_F(KeyEventsTest, EscapeQueuesTheSamePairAloneAndWithShiftOrCtrlButNothingWithAlt) {
  typeCharacter(27);
  typeCharacter(27, {kShift});
  typeCharacter(27, {kCtrl});
  typeCharacter(27, {kAlt});
  EXPECT_EQ(queued(), (std::vector<Pair>{{27, 1}, {27, 1}, {27, 1}}));
}

TEST_F(KeyEventsTest, CharacterKeysQueueTheirPcPairs) {
  const struct {
    const char* what;
    uint8_t received;
    std::initializer_list<int32_t> modifiers;
    std::vector<Pair> expected;
  } cases[] = {
      {"Ctrl+C arrives as 3", 3, {kCtrl}, {{3, 46}}},
      {"Ctrl+Shift+C", 3, {kCtrl, kShift}, {{3, 46}}},
      {"a", 'a', {}, {{'a', 30}}},
      {"Shift+A", 'A', {kShift}, {{'A', 30}}},
      {"Alt+a", 'a', {kAlt}, {{0, 30}}},
      {"Ctrl+Alt+a: Alt wins", 'a', {kCtrl, kAlt}, {{0, 30}}},
      {"Alt+1", '1', {kAlt}, {{0, 0x78}}},
      {"Ctrl+1 queues nothing", '1', {kCtrl}, {}},
      {"Enter", 13, {}, {{13, 28}}},
      {"Ctrl+Enter arriving as 10", 10, {kCtrl}, {{10, 28}}},
      {"Alt+Space queues nothing", ' ', {kAlt}, {}},
      {"Backspace with Ctrl", 8, {kRightCtrlKey}, {{8, 35}}},  // 8 is Ctrl+H here
      {"Shift+Tab", 9, {kShift}, {{0, 15}}},
      {"Delete from the character callback", 127, {}, {{0, 0x53}}},
      {"a byte without a key", 0xE9, {}, {{0xE9, 0}}},
      {"the code 0", 0, {}, {{0, 0}}},
  };
  for (const auto& c : cases) {
    typeCharacter(c.received, c.modifiers);
    EXPECT_EQ(queued(), c.expected) << c.what;
  }
}

TEST_F(KeyEventsTest, ExtendedAndKeypadKeysQueueTheirPcPairs) {
  const struct {
    const char* what;
    int32_t code;
    std::initializer_list<int32_t> modifiers;
    Pair expected;
  } cases[] = {
      {"F1", 0x3B00, {}, {0, 59}},
      {"Shift+F1", 0x3B00, {kShift}, {0, 84}},
      {"Ctrl+F1", 0x3B00, {kCtrl}, {0, 94}},
      {"Alt+F1", 0x3B00, {kAlt}, {0, 104}},
      {"F12", 0x8600, {}, {0, 0x86}},
      {"Up", 0x4800, {}, {0, 72}},
      {"Ctrl+Up", 0x4800, {kRightCtrlKey}, {0, 0x8D}},
      {"keypad Delete, Num Lock off", 200010, {}, {0, 0x53}},
      {"keypad 8, Num Lock on", 100264, {}, {'8', 72}},
      {"keypad 8, Num Lock on, Shift", 100264, {kShift}, {0, 72}},
      {"keypad 8, Num Lock off", 200008, {}, {0, 72}},
      {"keypad 8, Num Lock off, Shift", 200008, {kShift}, {'8', 72}},
      {"keypad 8, Num Lock on, Ctrl", 100264, {kCtrl}, {0, 0x8D}},
      {"keypad 0, Num Lock on", 100256, {}, {'0', 82}},
      {"keypad ., Num Lock on", 100266, {}, {'.', 83}},
      {"keypad /", 100267, {}, {'/', 53}},
      {"keypad Enter", 100271, {}, {13, 28}},
      {"keypad Enter with Ctrl", 100271, {kCtrl}, {10, 28}},
      {"keypad Enter with Alt", 100271, {kAlt}, {0, 0xA6}},
  };
  for (const auto& c : cases) {
    type(c.code, c.modifiers);
    EXPECT_EQ(queued(), std::vector<Pair>{c.expected}) << c.what;
  }
}

TEST_F(KeyEventsTest, ModifiersAndLockKeysQueueNothing) {
  for (int32_t code : {kLeftShiftKey, kRightShiftKey, kLeftCtrlKey, kRightCtrlKey, kLeftAltKey,
                       kRightAltKey, kNumLockKey, kCapsLockKey, kScrollLockKey, kSystemRequestKey}) {
    type(code);
    EXPECT_TRUE(queued().empty()) << code;
  }
}

TEST_F(KeyEventsTest, TwentyKeysWithoutReadingKeepTheFirstFifteen) {
  for (int i = 0; i < 20; ++i) typeCharacter(static_cast<uint8_t>('a' + i));
  std::vector<Pair> pairs = queued();
  ASSERT_EQ(pairs.size(), 15u);
  EXPECT_EQ(pairs.front(), (Pair{'a', 30}));
  EXPECT_EQ(pairs.back().first, 'o');
}

TEST_F(KeyEventsTest, PauseHoldsTheProgramAndTheNextKeyEndsItWithoutBeingQueued) {
  type(kPauseKey);
  EXPECT_EQ(presentPaused & 1, 1u);
  EXPECT_EQ(checkpointPending, 1);
  typeCharacter('x');
  EXPECT_EQ(presentPaused & 1, 0u);
  EXPECT_TRUE(queued().empty()) << "the key that ends a pause is not queued";
  typeCharacter('y');
  EXPECT_EQ(queued(), (std::vector<Pair>{{'y', 21}}));
}

TEST_F(KeyEventsTest, CtrlNumLockPausesAndAModifierPressEndsThePause) {
  type(kNumLockKey, {kCtrl});
  EXPECT_EQ(presentPaused & 1, 1u);
  keyReleased(kPauseKey);  // a release never ends it
  EXPECT_EQ(presentPaused & 1, 1u);
  keyPressed(kShift);
  EXPECT_EQ(presentPaused & 1, 0u);
  keyReleased(kShift);
}

TEST_F(KeyEventsTest, BreakStopsTheProgramInEachOfItsForms) {
  const struct {
    const char* what;
    int32_t code;
    std::initializer_list<int32_t> modifiers;
  } forms[] = {{"Break", kBreakKey, {}},
               {"Ctrl+Scroll Lock", kScrollLockKey, {kCtrl}},
               {"Ctrl+the further break key", kAlternateBreakKey, {kRightCtrlKey}}};
  for (const auto& form : forms) {
    stopRequested = 0;
    type(form.code, form.modifiers);
    EXPECT_EQ(stopRequested, 1) << form.what;
    EXPECT_EQ(closeRequested, 0u) << form.what;
    EXPECT_TRUE(queued().empty()) << form.what;
  }
  stopRequested = 0;
  type(kAlternateBreakKey);
  EXPECT_EQ(stopRequested, 0) << "without Ctrl it is no break";
}

TEST_F(KeyEventsTest, BreakAsksAProgramThatInterceptsClosingInsteadOfStoppingIt) {
  closeInterception = 1;
  type(kBreakKey);
  EXPECT_EQ(closeRequested, 2u);
  EXPECT_EQ(stopRequested, 0);
}

TEST_F(KeyEventsTest, AltEnterStepsThroughFiveStatesBackToTheWindow) {
  // (request seen by the renderer, smoothing) after each Alt+Enter; the renderer applies each
  // request before the next press.
  const struct {
    int32_t request;
    bool smooth;
  } steps[] = {{1, false}, {-1, true}, {2, false}, {-1, true}, {0, true}};
  keyPressed(kAlt);
  for (const auto& step : steps) {
    forceFrameRebuild = 0;
    keyPressed(13);
    keyReleased(13);
    EXPECT_EQ(fullScreenRequest, step.request);
    EXPECT_EQ(windowState().fullScreenSmooth, step.smooth);
    EXPECT_EQ(forceFrameRebuild, 1) << "the frame is rebuilt after each step";
    if (fullScreenRequest != -1) windowState().fullScreenMode = fullScreenRequest.exchange(-1);
  }
  keyReleased(kAlt);
  EXPECT_EQ(windowState().fullScreenMode, 0);
  EXPECT_TRUE(queued().empty());
  typeCharacter(13, {kAlt});  // a sixth press starts the cycle again
  EXPECT_EQ(fullScreenRequest, 1);
  EXPECT_FALSE(windowState().fullScreenSmooth);
}

TEST_F(KeyEventsTest, AltEnterCountsAPendingRequestAsTheCurrentMode) {
  typeCharacter(13, {kAlt});
  typeCharacter(13, {kAlt});  // before the renderer has applied the first
  EXPECT_EQ(fullScreenRequest, 1);
  EXPECT_TRUE(windowState().fullScreenSmooth);
}

TEST_F(KeyEventsTest, InsertTogglesInsertModeOnlyWhenPressedAloneAndNotRepeating) {
  auto insertMode = [] { return (lowMemory()[kKeyStatusOffset1] & 0x80) != 0; };
  type(kInsertKey);
  EXPECT_TRUE(insertMode());
  EXPECT_EQ(keyIsHeld(kInsertModeKey), 1);
  keyPressed(kInsertKey);
  keyPressed(kInsertKey);  // auto-repeat: already held
  EXPECT_FALSE(insertMode());
  keyReleased(kInsertKey);
  type(kInsertKey, {kShift});
  EXPECT_FALSE(insertMode()) << "Shift+Insert leaves insert mode alone";
  EXPECT_EQ(queued(), (std::vector<Pair>{{0, 82}, {0, 82}, {0, 82}, {0, 82}}));
}

TEST_F(KeyEventsTest, ScrollLockPressesToggleItsStateAndItsStatusBit) {
  auto scrollLockOn = [] { return (lowMemory()[kKeyStatusOffset1] & 0x10) != 0; };
  type(kScrollLockKey);
  EXPECT_TRUE(scrollLockOn());
  keyPressed(kScrollLockKey);
  keyPressed(kScrollLockKey);  // auto-repeat: no second toggle
  EXPECT_FALSE(scrollLockOn());
  EXPECT_EQ(lowMemory()[kKeyStatusOffset2] & 0x10, 0x10) << "the key itself is down";
  keyReleased(kScrollLockKey);
  EXPECT_EQ(lowMemory()[kKeyStatusOffset2] & 0x10, 0);
  EXPECT_FALSE(scrollLockOn());
}

TEST_F(KeyEventsTest, LeftShiftAndRightCtrlHeldGiveTheStatusBytes) {
  keyPressed(kLeftShiftKey);
  keyPressed(kRightCtrlKey);
  EXPECT_EQ(lowMemory()[kKeyStatusOffset1], 0x06);
  EXPECT_EQ(lowMemory()[kKeyStatusOffset2] & 0x01, 0);
  EXPECT_EQ(lowMemory()[kKeyStatusOffset3], 0x11);
  keyReleased(kRightCtrlKey);
  keyReleased(kLeftShiftKey);
  EXPECT_EQ(lowMemory()[kKeyStatusOffset1], 0x00);
  EXPECT_EQ(lowMemory()[kKeyStatusOffset3], 0x10);
}

TEST_F(KeyEventsTest, ScanCodeBufferRecordsPressesAndReleasesWithoutRepeats) {
  typeCharacter('a');
  keyPressed(kLeftShiftKey);
  keyPressed(kLeftShiftKey);  // auto-repeat adds nothing
  keyReleased(kLeftShiftKey);
  type(0x4800);
  type(200008);  // keypad Up shares Up's scan code
  type(kPauseKey);  // Pause has no scan byte here
  EXPECT_EQ(scanCodeBufferContents(),
            (std::vector<uint8_t>{30, 158, 42, 170, 72, 200, 72, 200}));
}

TEST_F(KeyEventsTest, ScanCodeBufferKeepsTheNewest256Bytes) {
  for (int i = 0; i < 200; ++i) typeCharacter(static_cast<uint8_t>(i % 2 == 0 ? 'a' : 'b'));
  std::vector<uint8_t> bytes = scanCodeBufferContents();
  ASSERT_EQ(bytes.size(), 256u);
  EXPECT_EQ(bytes.back(), 48 + 128) << "b released last";
  EXPECT_EQ(bytes.front(), 30) << "the oldest kept is a press of a";
}

TEST_F(KeyEventsTest, KeyHitRingRecordsPressesAndReleasesWithTheKeypadFlag) {
  typeCharacter('a');
  type(100264);  // keypad 8, Num Lock on
  type(200008);  // keypad Up, Num Lock off
  type(kLeftShiftKey);
  const KeyHit expected[] = {{97, 0},     {-97, 0},     {'8', 1},      {-'8', 1},
                             {0x4800, 1}, {-0x4800, 1}, {kLeftShiftKey, 0}, {-kLeftShiftKey, 0}};
  KeyHit hit;
  for (const KeyHit& e : expected) {
    ASSERT_TRUE(takeKeyHit(hit));
    EXPECT_EQ(hit.code, e.code);
    EXPECT_EQ(hit.keypad, e.keypad) << e.code;
  }
  EXPECT_FALSE(takeKeyHit(hit));
}

TEST_F(KeyEventsTest, KeyHitRingDropsTheOldestWhenFull) {
  for (int32_t i = 1; i <= 8200; ++i) keyReleased(i);  // releases record without queuing
  KeyHit hit;
  ASSERT_TRUE(takeKeyHit(hit));
  EXPECT_EQ(hit.code, -10) << "8191 entries fit; the first nine went";
  int32_t count = 1;
  while (takeKeyHit(hit)) ++count;
  EXPECT_EQ(count, 8191);
  EXPECT_EQ(hit.code, -8200);
}

TEST_F(KeyEventsTest, LockSyncPressesAndReleasesCapsAndNumLockOnChangesOnly) {
  LockKeyState state;
  state.valid = true;
  state.capsLock = true;
  syncLockKeys(state);
  EXPECT_EQ(keyIsHeld(kCapsLockKey), 1);
  EXPECT_EQ(lowMemory()[kKeyStatusOffset1], 0x40);
  syncLockKeys(state);  // unchanged: nothing recorded
  EXPECT_EQ(scanCodeBufferContents(), (std::vector<uint8_t>{58}));
  state.capsLock = false;
  state.numLock = true;
  syncLockKeys(state);
  EXPECT_EQ(keyIsHeld(kCapsLockKey), 0);
  EXPECT_EQ(keyIsHeld(kNumLockKey), 1);
  EXPECT_EQ(lowMemory()[kKeyStatusOffset1], 0x20);
  EXPECT_EQ(scanCodeBufferContents(), (std::vector<uint8_t>{58, 186, 69}));
  syncLockKeys(LockKeyState{});  // no display: nothing changes
  EXPECT_EQ(keyIsHeld(kNumLockKey), 1);
  EXPECT_TRUE(queued().empty());
}

TEST_F(KeyEventsTest, StartUpRecordsLocksAndHeldModifiersWithoutPausing) {
  LockKeyState locks;
  locks.valid = true;
  locks.numLock = true;
  locks.capsLock = true;
  KeysDown down;
  down.leftCtrl = true;
  down.rightShift = true;
  recordKeysAtStart(locks, down);
  EXPECT_EQ(presentPaused, 0u) << "Num Lock on with Ctrl down at start is no Pause";
  EXPECT_EQ(lowMemory()[kKeyStatusOffset1], 0x20 | 0x40 | 0x04 | 0x01);
  EXPECT_EQ(lowMemory()[kKeyStatusOffset2], 0x01);
  EXPECT_EQ(stopRequested, 0);
  EXPECT_TRUE(queued().empty());
}

TEST_F(KeyEventsTest, StartUpWithScrollLockDownTurnsItsStateOn) {
  KeysDown down;
  down.scrollLock = true;
  recordKeysAtStart(LockKeyState{}, down);
  EXPECT_EQ(keyIsHeld(kScrollLockStateKey), 1);
  EXPECT_EQ(lowMemory()[kKeyStatusOffset1] & 0x10, 0x10);
}

// DisplayThread types while RuntimeLoopThread's lock sync presses and releases Caps Lock: every
// typed key reaches the queue once and in order, and the held-key set stays consistent (run
// under ThreadSanitizer by the test command).
TEST_F(KeyEventsTest, ConcurrentLockSyncAndTypingKeepEveryKeyInOrder) {
  constexpr int kKeys = 2000;
  std::atomic<bool> typingDone{false};
  std::thread lockSync([&] {
    LockKeyState state;
    state.valid = true;
    for (int i = 0; !typingDone.load(); ++i) {
      state.capsLock = i % 2 == 0;
      syncLockKeys(state);
    }
    state.capsLock = true;
    syncLockKeys(state);
  });
  std::thread display([] {
    for (int i = 0; i < kKeys; ++i) {
      for (;;) {  // wait while the ring is full so that no key is dropped in this test
        uint8_t head = std::atomic_ref<uint8_t>(lowMemory()[kKeyBufferHeadOffset]).load();
        uint8_t tail = std::atomic_ref<uint8_t>(lowMemory()[kKeyBufferTailOffset]).load();
        if ((tail + 2 == 0x3E ? 0x1E : tail + 2) != head) break;
        std::this_thread::yield();
      }
      int32_t code = 'a' + i % 26;
      keyPressed(code);
      keyReleased(code);
    }
  });
  int read = 0;
  KeyEntry entry;
  while (read < kKeys) {
    if (!takeKey(entry)) {
      std::this_thread::yield();
      continue;
    }
    ASSERT_EQ(entry.character, 'a' + read % 26) << read;
    ++read;
  }
  display.join();
  typingDone = true;
  lockSync.join();
  EXPECT_EQ(keyIsHeld(kCapsLockKey), 1);
  EXPECT_EQ(lowMemory()[kKeyStatusOffset1] & 0x40, 0x40);
  for (int32_t c = 'a'; c <= 'z'; ++c) EXPECT_EQ(keyIsHeld(c), 0) << c;
}

}  // namespace
}  // namespace rt

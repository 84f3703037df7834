// keyPressed and keyReleased: from runtime key codes to runtime actions, key state and queued
// keys. A press is handled in a fixed order (pressLocked): the held-key set first, then Break,
// Pause and Alt+Enter, which queue nothing, and only then the key hit and the queued key.
#include "runtime/display/key_events.h"

#include <array>
#include <atomic>
#include <mutex>

#include "runtime/core/errors.h"
#include "runtime/core/held_keys.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/shared_flags.h"
#include "runtime/core/display_pause.h"
#include "runtime/display/key_translation.h"
#include "runtime/display/window.h"
#include "runtime/display/window_state.h"

namespace rt {
namespace {

// Serialises the handlers' callers (DisplayThread, the lock-key sync, start-up).
std::mutex keyEventMutex;

// Legacy keyboard-port bytes: press = scan code, release = scan code + 128, oldest first.
class ScanCodeBuffer {
 public:
  void add(uint8_t byte) {
    if (count_ > 0 && bytes_[(start_ + count_ - 1) % kSize] == byte) return;  // no repeats
    if (count_ == kSize) {
      start_ = (start_ + 1) % kSize;  // full: the oldest byte goes
      --count_;
    }
    bytes_[(start_ + count_) % kSize] = byte;
    ++count_;
  }
  std::vector<uint8_t> contents() const {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < count_; ++i) out.push_back(bytes_[(start_ + i) % kSize]);
    return out;
  }
  void clear() { start_ = count_ = 0; }

 private:
  static constexpr size_t kSize = 256;
  std::array<uint8_t, kSize> bytes_{};
  size_t start_ = 0, count_ = 0;
};

// Every press (+code) and release (-code); when the writer would catch up with the reader the
// oldest entry is dropped.
class KeyHitRing {
 public:
  void record(KeyHit hit) {
    hits_[write_] = hit;
    size_t next = (write_ + 1) % kSize;
    if (next == read_) read_ = (read_ + 1) % kSize;
    write_ = next;
  }
  bool take(KeyHit& hit) {
    if (read_ == write_) return false;
    hit = hits_[read_];
    read_ = (read_ + 1) % kSize;
    return true;
  }
  void clear() { read_ = write_ = 0; }

 private:
  static constexpr size_t kSize = 8192;
  std::array<KeyHit, kSize> hits_{};
  size_t write_ = 0, read_ = 0;
};

ScanCodeBuffer scanCodes;  // guarded by keyEventMutex
KeyHitRing keyHits;        // guarded by keyEventMutex

bool shiftHeld() { return keyIsHeld(kRightShiftKey) != 0 || keyIsHeld(kLeftShiftKey) != 0; }
bool ctrlHeld() { return keyIsHeld(kRightCtrlKey) != 0 || keyIsHeld(kLeftCtrlKey) != 0; }
bool altHeld() { return keyIsHeld(kRightAltKey) != 0 || keyIsHeld(kLeftAltKey) != 0; }

bool isKeypadKey(int32_t code) { return code >= kKeypadFirstKey && code <= kKeypadLastKey; }
bool isKeypadNavigationKey(int32_t code) {
  return code >= kKeypadNavigationFirstKey && code <= kKeypadNavigationLastKey;
}

// The keypad record of a keypad code (either Num Lock state).
int32_t keypadRecordIndex(int32_t code) {
  return kKeypadRecordBase +
         (isKeypadKey(code) ? code - kKeypadFirstKey : code - kKeypadNavigationFirstKey);
}

// Scan codes of the keys that have no record: modifiers and lock keys (0: none).
int32_t modifierScan(int32_t code) {
  switch (code) {
    case kLeftShiftKey: return 42;
    case kRightShiftKey: return 54;
    case kLeftCtrlKey:
    case kRightCtrlKey: return 29;
    case kLeftAltKey:
    case kRightAltKey: return 56;
    case kNumLockKey: return 69;
    case kCapsLockKey: return 58;
    case kScrollLockKey: return 70;
    default: return 0;
  }
}

// The record that describes `code` for the queue and the scan-code buffer, or -1.
int32_t recordIndexOf(int32_t code) {
  if (code == kZeroCodeKey) code = 0;
  if (code >= 0 && code <= 255) return code;
  if (isKeypadKey(code) || isKeypadNavigationKey(code)) return keypadRecordIndex(code);
  if (code > 255 && code <= 0xFFFF) return kExtendedRecordBase + code / 256;
  return -1;
}

// The code recorded in the key-hit ring: keypad keys by the character or extended code they
// stand for, flagged as keypad keys.
KeyHit keyHitFor(int32_t code) {
  int32_t meaning = keypadKeyMeaning(code);
  return meaning != 0 ? KeyHit{meaning, 1} : KeyHit{code, 0};
}

void toggleHeldKey(int32_t code) {
  if (keyIsHeld(code) != 0) {
    removeHeldKey(code);
  } else {
    addHeldKey(code);
  }
}

// Break: ends the program, or asks the program to handle it when it intercepts closing.
void requestBreak() {
  if (closeInterception.load(std::memory_order_relaxed) != 0) {
    requestClose(kBreakWhileIntercepting);
  } else {
    requestStop();
  }
}

// Alt+Enter: windowed -> full screen stretched -> the same smoothed -> square pixels -> the same
// smoothed -> windowed. The renderer applies a mode change; the frame is rebuilt either way so
// that a smoothing change shows.
void stepFullScreenCycle() {
  WindowState& window = windowState();
  int32_t pending = fullScreenRequest.load(std::memory_order_relaxed);
  int32_t mode = pending != -1 ? pending : window.fullScreenMode.load(std::memory_order_relaxed);
  bool smooth = window.fullScreenSmooth;
  if (mode == 2 && smooth) {
    mode = 0;  // the smoothing flag stays as it is
  } else if (!smooth && mode != 0) {
    smooth = true;
  } else {
    mode += 1;
    smooth = false;
  }
  window.fullScreenSmooth = smooth;
  if (mode != window.fullScreenMode) fullScreenRequest.store(mode, std::memory_order_relaxed);
  forceFrameRebuild.store(1, std::memory_order_relaxed);
  wakePresenter();
}

// The queued pair from a record's result column: 0 queues nothing; a high byte is an extended
// key; anything else is a character with the record's scan code.
bool pairFromResult(int32_t result, int32_t scan, int32_t& character, int32_t& outScan) {
  if (result == 0) return false;
  if ((result & 0xFF00) != 0) {
    character = 0;
    outScan = result / 256;
  } else {
    character = result;
    outScan = scan;
  }
  return true;
}

// Queues a press of a character key (codes 0..255): its scan code goes to the port bytes and the
// pair its key record gives for the held modifiers to the keyboard buffer.
void queueCharacterKey(int32_t code) {
  const KeyRecord& record = keyRecord(code);
  int32_t character = code, scan = record.scan;
  if (record.exists()) {
    scanCodes.add(static_cast<uint8_t>(record.scan));
    int32_t result = record.plain;
    if (shiftHeld()) result = record.shift;
    if (ctrlHeld()) result = record.ctrl;
    if (altHeld()) result = record.alt;
    if (!pairFromResult(result, record.scan, character, scan)) return;
  }
  enqueueKey(static_cast<uint8_t>(character), static_cast<uint8_t>(scan));
}

// Queues a press of an extended key (scan x 256) or a keypad key the same way; Insert with no
// modifier, unless it was already down, also toggles insert mode.
void queueExtendedKey(int32_t code, bool insertWasHeld) {
  int32_t index = recordIndexOf(code);
  bool keypadFlag = code >= kKeypadFirstKey && code <= kKeypadFlagLastKey;
  const KeyRecord& record = keyRecord(index);
  int32_t character = 0, scan = (code / 256) & 0xFF;
  if (record.exists()) {
    scanCodes.add(static_cast<uint8_t>(record.scan));
    bool shift = shiftHeld(), ctrl = ctrlHeld(), alt = altHeld();
    if (code == kInsertKey && !shift && !ctrl && !alt && !insertWasHeld) {
      toggleHeldKey(kInsertModeKey);
      refreshKeyboardStatus();
    }
    int32_t result = record.plain;
    if (shift) result = record.shift;
    if (keypadFlag) result = shift ? record.numLockShift : record.numLock;
    if (ctrl) result = record.ctrl;
    if (alt) result = record.alt;
    if (!pairFromResult(result, record.scan, character, scan)) return;
  }
  enqueueKey(static_cast<uint8_t>(character), static_cast<uint8_t>(scan));
}

// A press of a modifier, a lock key or another code above 0xFFFF queues nothing: only the port
// bytes and the keyboard status change.
void recordStateKey(int32_t code, bool scrollLockWasHeld) {
  if (int32_t scan = modifierScan(code); scan != 0) scanCodes.add(static_cast<uint8_t>(scan));
  // The Scroll Lock state is toggled before the status bytes are rebuilt, so that they show it.
  if (code == kScrollLockKey && !ctrlHeld() && !scrollLockWasHeld) toggleHeldKey(kScrollLockStateKey);
  refreshKeyboardStatus();
}

void pressLocked(int32_t code) {
  if (code == 0) code = kZeroCodeKey;  // held under a stand-in code, queued as 0 again below
  // A repeated press of a key already down must not toggle its state again.
  bool insertWasHeld = code == kInsertKey && keyIsHeld(kInsertKey) != 0;
  bool scrollLockWasHeld = code == kScrollLockKey && keyIsHeld(kScrollLockKey) != 0;
  addHeldKey(code);  // the key is down from here on, whatever the press goes on to do
  bool ctrl = ctrlHeld();
  if (code == kBreakKey || (ctrl && (code == kScrollLockKey || code == kAlternateBreakKey))) {
    requestBreak();  // Break (or Ctrl+Scroll Lock) is acted on and not queued
    return;
  }
  // Pause (or Ctrl+Num Lock) holds the program at its next statement checkpoint.
  if (code == kPauseKey || (ctrl && code == kNumLockKey)) {
    presentPaused.fetch_or(1, std::memory_order_release);
    requestCheckpoint();
    return;
  }
  // While paused, any other key only ends the pause.
  if ((presentPaused.load(std::memory_order_acquire) & 1) != 0) {
    presentPaused.fetch_and(~1u, std::memory_order_release);
    return;
  }
  if (code == 13 && altHeld()) {  // Alt+Enter changes the full-screen mode, no Enter is queued
    stepFullScreenCycle();
    return;
  }
  keyHits.record(keyHitFor(code));  // every other press is a key hit (no key traps are set here)
  if (code == kZeroCodeKey) code = 0;  // the stand-in is queued as code 0
  if (code >= 0 && code <= 255) {
    queueCharacterKey(code);
  } else if (isKeypadKey(code) || isKeypadNavigationKey(code) || (code > 255 && code <= 0xFFFF)) {
    queueExtendedKey(code, insertWasHeld);
  } else if (code > 0xFFFF) {
    recordStateKey(code, scrollLockWasHeld);
  }  // a negative code is no key: nothing to queue
}

void releaseLocked(int32_t code) {
  if (code == 0) code = kZeroCodeKey;
  removeHeldKey(code);
  KeyHit hit = keyHitFor(code);
  keyHits.record({-hit.code, hit.keypad});
  if (const KeyRecord& record = keyRecord(recordIndexOf(code)); record.exists()) {
    scanCodes.add(static_cast<uint8_t>(record.scan + 128));
    if (code == kInsertKey) refreshKeyboardStatus();
  } else if (int32_t scan = modifierScan(code); scan != 0) {
    scanCodes.add(static_cast<uint8_t>(scan + 128));
    refreshKeyboardStatus();
  }
}

void syncLockKey(int32_t code, bool on) {
  if ((keyIsHeld(code) != 0) == on) return;
  if (on) {
    pressLocked(code);
  } else {
    releaseLocked(code);
  }
  refreshKeyboardStatus();
}

}  // namespace

void keyPressed(int32_t code) {
  std::lock_guard lock(keyEventMutex);
  pressLocked(code);
}

void keyReleased(int32_t code) {
  std::lock_guard lock(keyEventMutex);
  releaseLocked(code);
}

void syncLockKeys(const LockKeyState& state) {
  if (!state.valid) return;
  std::lock_guard lock(keyEventMutex);
  syncLockKey(kCapsLockKey, state.capsLock);
  syncLockKey(kNumLockKey, state.numLock);
}

void recordKeysAtStart(const LockKeyState& locks, const KeysDown& down) {
  std::lock_guard lock(keyEventMutex);
  if (locks.valid) {
    if (locks.capsLock) pressLocked(kCapsLockKey);
    if (locks.numLock) pressLocked(kNumLockKey);
  }
  const struct {
    bool isDown;
    int32_t code;
  } keys[] = {{down.scrollLock, kScrollLockKey}, {down.rightShift, kRightShiftKey},
              {down.leftShift, kLeftShiftKey},   {down.rightCtrl, kRightCtrlKey},
              {down.leftCtrl, kLeftCtrlKey},     {down.rightAlt, kRightAltKey},
              {down.leftAlt, kLeftAltKey}};
  for (const auto& key : keys) {
    if (key.isDown) pressLocked(key.code);
  }
  refreshKeyboardStatus();
}

bool takeKeyHit(KeyHit& hit) {
  std::lock_guard lock(keyEventMutex);
  return keyHits.take(hit);
}

std::vector<uint8_t> scanCodeBufferContents() {
  std::lock_guard lock(keyEventMutex);
  return scanCodes.contents();
}

void resetKeyRecordsForTesting() {
  std::lock_guard lock(keyEventMutex);
  scanCodes.clear();
  keyHits.clear();
}

}  // namespace rt

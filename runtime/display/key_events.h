// The runtime's key-down and key-up handlers, and the key state they keep.
//
// How the pieces fit: the window's callbacks (input_events.cpp) and the window-message hook
// reduce each keyboard event to a runtime key code (key_translation.h) and call keyPressed or
// keyReleased. keyPressed acts on the keys that steer the runtime itself (Break, Pause, any key
// ending a pause, Alt+Enter's full-screen cycle) and otherwise records the key in the held-key
// set, the key-hit ring and the scan-code buffer and appends its (character, scan code) pair to
// KeyQueue, which readKey empties on ProgramThread. keyReleased only updates the records.
//
// Threads: DisplayThread (callbacks and hook) and RuntimeLoopThread (the lock-key sync, which
// presses and releases Caps Lock and Num Lock) both call the handlers; start-up calls them on
// the main thread before the other threads exist. One mutex makes each handler call a single
// step with respect to the others, so the held-key set, the two rings and KeyQueue's writer side
// see one caller at a time. The mutex is never taken by ProgramThread: readKey reads KeyQueue
// lock-free. Alt+Enter touches the window state and is reached only from DisplayThread.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/platform/lock_keys.h"

namespace rt {

// Key-down handler for runtime key code `code`. DisplayThread, RuntimeLoopThread (lock keys)
// or start-up; does not block beyond the short key-state mutex.
void keyPressed(int32_t code);

// Key-up handler: updates the held-key set, the key-hit ring, the scan-code buffer and, for
// modifiers, lock keys and Insert, the status bytes. Queues nothing. Same threads as keyPressed.
void keyReleased(int32_t code);

// Lock-key sync: brings Caps Lock and Num Lock in the held-key set in line with `state` (a
// change is recorded as a release when the key was held, else as a press, then the status bytes
// are refreshed). Nothing happens when `state` is not valid. RuntimeLoopThread.
void syncLockKeys(const LockKeyState& state);

// Start-up: records the Caps Lock and Num Lock states that are on and then the modifier and
// lock keys that are down, as presses, and refreshes the status bytes. The lock states come
// first so that a Num Lock that is merely on is not taken for Ctrl+Num Lock (Pause) when Ctrl
// happens to be down at start. Main thread, before the worker threads start.
void recordKeysAtStart(const LockKeyState& locks, const KeysDown& down);

// One entry of the key-hit ring: +code on a press, -code on a release; keypad 1 for keys of
// the numeric keypad.
struct KeyHit {
  int32_t code = 0;
  int32_t keypad = 0;
};

// Takes the oldest unread key hit; false when none is waiting. Nothing in this system reads the
// ring; the runtime's legacy key functions and the tests do.
bool takeKeyHit(KeyHit& hit);

// The scan-code buffer, oldest first (press: scan code; release: scan code + 128).
std::vector<uint8_t> scanCodeBufferContents();

// Empties the key-hit ring and the scan-code buffer. Tests.
void resetKeyRecordsForTesting();

}  // namespace rt

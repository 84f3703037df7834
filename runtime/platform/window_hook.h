// The window-message hook: reports from the window system that the window library does not
// pass on. The runtime is told of the close box (the window then stays alive), of exposed
// areas, and of the keys the window library does not report: Pause, Break (Ctrl+Pause), Scroll
// Lock, and Shift+Tab.
#pragma once

#include <cstdint>

namespace rt {

enum class WindowMessage { Close = 1, Key = 2, Exposed = 4, Wake = 8 };

// The keys that the window library does not report. Shift+Tab is reported as Tab.
enum class UnreportedKey : int32_t { Pause = 1, Break = 2, ScrollLock = 3, ShiftTab = 4 };

// kind Close, Exposed (part of the window must be drawn again) and Wake (wakeWindowThread was
// called): a and b are 0. kind Key: a
// is an UnreportedKey, b is 1 for a press and -1 for a release. Returns 0 when handled.
using WindowMessageHandler = int (*)(WindowMessage kind, int32_t a, int32_t b);

// Installs the handler; called on DisplayThread before the window is created. The handler runs
// on DisplayThread while the window library reads its events.
void installWindowMessageHook(WindowMessageHandler handler);

// Waits until the window system has carried out every request the window library has sent so
// far (one round trip on its connection), so that other clients see the result, for example a
// new window title. DisplayThread only; blocks for one round trip. Does nothing before the
// window's OpenGL context exists.
void waitForWindowSystem();

// Lets other threads wake DisplayThread's event loop, which otherwise sleeps until the window
// system has an event for it: wakeWindowThread sends the window a message of the runtime's own
// on a connection of its own, and the hook reports it as WindowMessage::Wake. DisplayThread,
// once, after the window's OpenGL context exists; false when no second connection could be
// opened (wakeWindowThread then does nothing).
bool enableWindowWake();

// Wakes DisplayThread for one WindowMessage::Wake. Calls made while a recent wake-up is on its
// way share it: the report comes after them. Any thread; does nothing before enableWindowWake.
void wakeWindowThread();

}  // namespace rt

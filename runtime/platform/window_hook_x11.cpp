// The window-message hook on X11.
//
// freeglut reads every event with XNextEvent. Defining XNextEvent in the executable places this
// definition ahead of libX11's in symbol lookup, so the hook sees each event first and then
// forwards to the real function (found with dlsym RTLD_NEXT). A WM_DELETE_WINDOW message is
// reported as a close and neutralised (freeglut would destroy the window); Expose events are
// reported; so are presses and releases of the keys freeglut drops: Pause (Break with Ctrl, as
// on the PC, where Ctrl+Pause is the Break key), Scroll Lock, and Tab while its shifted keysym
// (ISO_Left_Tab) gives freeglut no character.
//
// Other threads wake DisplayThread with a client message of the runtime's own type, sent to the
// window on a second connection (wakeWindowThread); the hook reports it as a wake-up.
//
// Other connections in the process (the error dialog has its own) read events through the same
// XNextEvent; only events on the window library's connection are looked at. That connection is
// the one of the OpenGL context current on DisplayThread, so events read before the window's
// context exists, or on any other thread, pass through untouched.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

#include "runtime/platform/window_hook.h"

namespace rt {
namespace {

std::atomic<WindowMessageHandler> handler{nullptr};
// What the Pause key's press reported (Pause or Break), so that its release matches.
// DisplayThread only.
UnreportedKey pauseKeyReport = UnreportedKey::Pause;

// The connection and window that wakeWindowThread sends its message on and to.
struct WakeChannel {
  std::mutex mutex;  // guards the connection, which any thread may use
  Display* connection = nullptr;
  Window window = 0;
};
WakeChannel& wakeChannel() {
  static WakeChannel channel;
  return channel;
}
// The message's type; None until enableWindowWake has run.
std::atomic<Atom> wakeAtom{None};
// When the wake-up on its way was sent (steady-clock milliseconds), or 0 when none is. Requests
// share a wake-up on its way unless it is older than kWakeResendMs: a message that never
// arrives then costs one late pass, not every later one. Every access is a read-modify-write,
// so that the pass that follows a report sees what a request stored before it.
std::atomic<int64_t> wakeSentAt{0};
constexpr int64_t kWakeResendMs = 100;

int64_t steadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() + 1;
}

// True when this request must send a wake-up; it is then recorded as on its way.
bool claimWakeUp() {
  const int64_t now = steadyMilliseconds();
  int64_t sent = wakeSentAt.fetch_add(0, std::memory_order_acq_rel);
  for (;;) {
    if (sent != 0 && now - sent < kWakeResendMs) return false;
    if (wakeSentAt.compare_exchange_weak(sent, now, std::memory_order_acq_rel)) return true;
  }
}

using NextEventFunction = int (*)(Display*, XEvent*);

NextEventFunction realNextEvent() {
  static NextEventFunction real = reinterpret_cast<NextEventFunction>(dlsym(RTLD_NEXT, "XNextEvent"));
  return real;
}

// The key of an event that freeglut will not report, or 0.
int32_t unreportedKey(XKeyEvent& key) {
  KeySym base = XLookupKeysym(&key, 0);
  bool press = key.type == KeyPress;
  if (base == XK_Pause || base == XK_Break) {
    if (press) {
      bool isBreak = base == XK_Break || (key.state & ControlMask) != 0;
      pauseKeyReport = isBreak ? UnreportedKey::Break : UnreportedKey::Pause;
    }
    return static_cast<int32_t>(pauseKeyReport);
  }
  if (base == XK_Scroll_Lock) return static_cast<int32_t>(UnreportedKey::ScrollLock);
  if (base == XK_Tab) {
    char text[8];
    KeySym symbol = NoSymbol;
    int length = XLookupString(&key, text, sizeof text, &symbol, nullptr);
    if (length == 0 && symbol == XK_ISO_Left_Tab) return static_cast<int32_t>(UnreportedKey::ShiftTab);
  }
  return 0;
}

void filterEvent(Display* display, XEvent* event) {
  if (display != glXGetCurrentDisplay()) return;
  WindowMessageHandler report = handler.load(std::memory_order_acquire);
  if (report == nullptr) return;
  if (event->type == ClientMessage && event->xclient.format == 32) {
    Atom wake = wakeAtom.load(std::memory_order_acquire);
    if (wake != None && event->xclient.message_type == wake) {
      // Cleared before the report, so that a request made after this point sends a new one.
      wakeSentAt.exchange(0, std::memory_order_acq_rel);
      report(WindowMessage::Wake, 0, 0);
      return;
    }
    static Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (static_cast<Atom>(event->xclient.data.l[0]) == deleteWindow) {
      report(WindowMessage::Close, 0, 0);
      event->xclient.data.l[0] = 0;  // freeglut now ignores it and keeps the window
    }
    return;
  }
  if (event->type == Expose) {
    report(WindowMessage::Exposed, 0, 0);
    return;
  }
  if (event->type == KeyPress || event->type == KeyRelease) {
    int32_t key = unreportedKey(event->xkey);
    if (key != 0) report(WindowMessage::Key, key, event->type == KeyPress ? 1 : -1);
  }
}

}  // namespace

void installWindowMessageHook(WindowMessageHandler newHandler) {
  realNextEvent();
  handler.store(newHandler, std::memory_order_release);
}

void waitForWindowSystem() {
  if (Display* display = glXGetCurrentDisplay()) XSync(display, False);
}

bool enableWindowWake() {
  Display* display = glXGetCurrentDisplay();
  GLXDrawable window = glXGetCurrentDrawable();
  if (display == nullptr || window == 0) return false;
  Display* connection = XOpenDisplay(DisplayString(display));
  if (connection == nullptr) return false;
  WakeChannel& channel = wakeChannel();
  std::lock_guard lock(channel.mutex);
  channel.connection = connection;
  channel.window = static_cast<Window>(window);
  wakeAtom.store(XInternAtom(connection, "FERLANG_WAKE", False), std::memory_order_release);
  return true;
}

void wakeWindowThread() {
  if (wakeAtom.load(std::memory_order_acquire) == None) return;
  if (!claimWakeUp()) return;
  WakeChannel& channel = wakeChannel();
  std::lock_guard lock(channel.mutex);
  // With no event mask the server delivers the message to the window's creator: the window
  // library's connection, whose XNextEvent the hook sees.
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = channel.window;
  event.xclient.message_type = wakeAtom.load(std::memory_order_relaxed);
  event.xclient.format = 32;
  XSendEvent(channel.connection, channel.window, False, NoEventMask, &event);
  XFlush(channel.connection);
}

}  // namespace rt

extern "C" int XNextEvent(Display* display, XEvent* event) {
  int result = rt::realNextEvent()(display, event);
  rt::filterEvent(display, event);
  return result;
}

// The window-message hook on X11.
//
// freeglut reads every event with XNextEvent. Defining XNextEvent in the executable places this
// definition ahead of libX11's in symbol lookup, so the hook sees each event first and then
// forwards to the real function (found with dlsym RTLD_NEXT). A WM_DELETE_WINDOW message is
// reported as a close and neutralised (freeglut would destroy the window); Pause and Break key
// presses and releases and Expose events are reported.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>

#include <atomic>

#include "runtime/platform/window_hook.h"

namespace rt {
namespace {

std::atomic<WindowMessageHandler> handler{nullptr};

using NextEventFunction = int (*)(Display*, XEvent*);

NextEventFunction realNextEvent() {
  static NextEventFunction real = reinterpret_cast<NextEventFunction>(dlsym(RTLD_NEXT, "XNextEvent"));
  return real;
}

void filterEvent(Display* display, XEvent* event) {
  WindowMessageHandler report = handler.load(std::memory_order_acquire);
  if (report == nullptr) return;
  if (event->type == ClientMessage && event->xclient.format == 32) {
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
    KeySym symbol = XLookupKeysym(&event->xkey, 0);
    int32_t code = symbol == XK_Pause ? 100019 : symbol == XK_Break ? 100318 : 0;
    if (code != 0) report(WindowMessage::Key, code, event->type == KeyPress ? 1 : -1);
  }
}

}  // namespace

void installWindowMessageHook(WindowMessageHandler newHandler) {
  realNextEvent();
  handler.store(newHandler, std::memory_order_release);
}

}  // namespace rt

extern "C" int XNextEvent(Display* display, XEvent* event) {
  int result = rt::realNextEvent()(display, event);
  rt::filterEvent(display, event);
  return result;
}

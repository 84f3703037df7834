// The runtime's own Win32 window: window class, window procedure, message loop, client size and
// full screen. See window_win32.h for how the parts fit.
#include "runtime/display/window.h"

#include <atomic>

#include "runtime/core/clock.h"
#include "runtime/display/input_events.h"
#include "runtime/display/window_state.h"
#include "runtime/display/window_title.h"
#include "runtime/display/window_win32.h"
#include "runtime/platform/process_exit.h"
#include "runtime/platform/window_hook.h"

namespace rt {
namespace {

constexpr char kWindowClassName[] = "FerlangWindow";
// A caption with the close box and the minimise box, and no sizing border: the frame decides
// the size of the client area (the freeglut window snaps back to the frame size too).
constexpr DWORD kWindowedStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFullScreenStyle = WS_POPUP;
constexpr int32_t kStartWidth = 640, kStartHeight = 400;  // the window before the first frame

// The message that carries runOnWindowThread's work (lParam: the std::function).
constexpr UINT kRunOnWindowThreadMessage = WM_APP + 1;
// The message by which wakePresenter asks for a presenter pass.
constexpr UINT kPresentMessage = WM_APP + 3;

std::atomic<HWND> nativeWindow{nullptr};
// A present message has been posted and not yet handled: further requests share it. Its
// exchanges order the requests made before a post against the pass that handles it.
std::atomic<bool> presentPosted{false};
std::atomic<DWORD> windowThreadId{0};

// Where the window was before full screen, to go back there. DisplayThread.
RECT windowedRect{};

// WM_SIZE: the client area's new size, drawn at the pass this asks for.
void onClientResized(int32_t width, int32_t height) {
  recordClientSize(width, height);
  wakePresenter();
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kPresentMessage:
      // Cleared before the pass, so that a request made after this point posts a new message.
      presentPosted.exchange(false, std::memory_order_acq_rel);
      presentTick();
      return 0;
    case WM_PAINT: {
      // The paint context would clip drawing to the exposed part, and a frame newer than the one
      // shown would then reach only that part: the exposed area is validated, and the presenter
      // draws the whole client area.
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      onWindowMessage(static_cast<int>(WindowMessage::Exposed), 0, 0);
      presentExposed();
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the picture covers the client area; erasing first would only flicker
    case WM_SIZE:
      // A minimised window keeps its size for the runtime: nothing is drawn meanwhile.
      if (wParam != SIZE_MINIMIZED) onClientResized(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_CLOSE:
      // The close box is a request to the runtime, which ends the process in order; the
      // window stays until then.
      onWindowMessage(static_cast<int>(WindowMessage::Close), 0, 0);
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) != 0 || lParam != 0) break;  // only menu items send 0 and no control
      onMenuCommand(LOWORD(wParam));
      return 0;
    case kMenuHoldEndedMessage:
      onMenuHoldEnded(static_cast<uint32_t>(wParam));
      return 0;
    case kRunOnWindowThreadMessage:
      (*reinterpret_cast<const std::function<void()>*>(lParam))();
      return 0;
    default:
      break;
  }
  if (onInputMessage(window, message, wParam, lParam)) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

// The outer size of a window with `style` whose client area is width x height.
SIZE outerSize(HWND window, DWORD style, int32_t width, int32_t height) {
  RECT rect{0, 0, width, height};
  const bool hasMenu = window != nullptr && GetMenu(window) != nullptr;
  AdjustWindowRectEx(&rect, style, hasMenu ? TRUE : FALSE, 0);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

int createNativeWindow(const char* title) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  windowClass.lpszClassName = kWindowClassName;
  if (RegisterClassA(&windowClass) == 0) endProcessWithError("the window class could not be registered");
  SIZE size = outerSize(nullptr, kWindowedStyle, kStartWidth, kStartHeight);
  windowThreadId.store(GetCurrentThreadId(), std::memory_order_release);
  HWND window = CreateWindowExA(0, kWindowClassName, title, kWindowedStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) endProcessWithError("the window could not be created");
  nativeWindow.store(window, std::memory_order_release);
  return 1;
}

// SetWindowTextA on DisplayThread's own window is carried out before it returns.
void showNativeTitle(const char* title) { SetWindowTextA(programWindow(), title); }

}  // namespace

void wakePresenter() {
  HWND window = nativeWindow.load(std::memory_order_acquire);
  if (window == nullptr || presentPosted.exchange(true, std::memory_order_acq_rel)) return;
  if (!PostMessageA(window, kPresentMessage, 0, 0)) {
    presentPosted.store(false, std::memory_order_release);  // none is on its way after all
  }
}

HWND programWindow() { return nativeWindow.load(std::memory_order_acquire); }

void runOnWindowThread(const std::function<void()>& work) {
  HWND window = programWindow();
  if (window == nullptr || GetCurrentThreadId() == windowThreadId.load(std::memory_order_acquire)) {
    work();
    return;
  }
  SendMessageA(window, kRunOnWindowThreadMessage, 0, reinterpret_cast<LPARAM>(&work));
}

void setClientSize(int32_t width, int32_t height) {
  HWND window = programWindow();
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  SIZE size = outerSize(window, style, width, height);
  SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A menu bar too narrow for its items takes two rows, which AdjustWindowRectEx does not know
  // of: correct by what is still missing.
  RECT client;
  GetClientRect(window, &client);
  const LONG missingWidth = width - client.right, missingHeight = height - client.bottom;
  if (missingWidth != 0 || missingHeight != 0) {
    SetWindowPos(window, nullptr, 0, 0, size.cx + missingWidth, size.cy + missingHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void enterFullScreen() {
  HWND window = programWindow();
  GetWindowRect(window, &windowedRect);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  SetWindowLongPtrA(window, GWL_STYLE, kFullScreenStyle | WS_VISIBLE);
  const RECT& area = monitor.rcMonitor;
  SetWindowPos(window, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

void leaveFullScreen(int32_t width, int32_t height) {
  HWND window = programWindow();
  SetWindowLongPtrA(window, GWL_STYLE, kWindowedStyle | WS_VISIBLE);
  SetWindowPos(window, nullptr, windowedRect.left, windowedRect.top,
               windowedRect.right - windowedRect.left, windowedRect.bottom - windowedRect.top,
               SWP_FRAMECHANGED | SWP_NOZORDER | SWP_SHOWWINDOW);
  setClientSize(width, height);
}

void prepareWindowLibrary() {}

void runWindowLoop(int, char**) {
  // One window pixel per frame pixel on a scaled desktop too, rather than a stretched copy.
  SetProcessDPIAware();
  createWindowWithTitle(createNativeWindow, showNativeTitle);
  HWND window = programWindow();
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  // The first pass shows what other threads published before the window existed; later passes
  // come when they ask for one.
  wakePresenter();
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (translatesToCharacters(message)) TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // GetMessageA ends only with WM_QUIT, which nothing posts; RuntimeLoopThread ends the process.
  for (;;) sleepMs(1000);
}

}  // namespace rt

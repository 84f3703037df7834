// The Win32 window's parts, as its window procedure (window_win32.cpp) hands messages to them.
//
// How the pieces fit: runWindowLoop (window.h) creates the runtime's own window on
// DisplayThread and runs its message loop for good. The window procedure passes
// - presenter passes (wakePresenter) and paint requests to the presenter (renderer_win32.cpp),
//   which shows the newest frame of the FrameRing with StretchDIBits and keeps the client area
//   at its size;
// - key and mouse messages to input_events_win32.cpp, which reduces them to runtime key codes
//   and mouse state;
// - menu commands to the menu (menu_bar_win32.cpp), which holds a clicked item's highlight
//   until the application has polled it (the poll posts back the end of the hold);
// - the close box to the runtime as a close request; the window stays until the process ends.
// Work that other threads need done by DisplayThread (attaching a menu) goes through
// runOnWindowThread. Windows builds only; DisplayThread unless noted.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <functional>

namespace rt {

// ---- window_win32.cpp ----

// The program's window; nullptr before it exists. Any thread.
HWND programWindow();

// Runs `work` on DisplayThread and returns when it is done: at once when called there or before
// the window exists, else through a message that the window procedure runs (the caller blocks
// until DisplayThread has run it; DisplayThread always reads its messages). Any thread.
void runOnWindowThread(const std::function<void()>& work);

// Resizes the window so that its client area (below the menu bar) is width x height.
void setClientSize(int32_t width, int32_t height);

// Full screen: a window without caption or border over the whole monitor (the menu bar stays),
// and back to the window as it was, with a client area of width x height.
void enterFullScreen();
void leaveFullScreen(int32_t width, int32_t height);

// ---- renderer_win32.cpp ----

// A presenter pass, when another thread has asked for one (wakePresenter): passes a changed
// title to the window and draws the newest frame when there is something new to show.
void presentTick();

// WM_PAINT, once the exposed area has been validated: draws the shown frame (or the newest one)
// over the whole client area; black when there is no frame yet.
void presentExposed();

// ---- input_events_win32.cpp ----

// Whether TranslateMessage should make characters of `message`: only key-down messages of keys
// that type characters; keys taken by their virtual-key number make none.
bool translatesToCharacters(const MSG& message);

// Key and mouse messages. True when the message has been handled (the window procedure then
// returns 0); false for other messages and for those that DefWindowProcA must also see.
bool onInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- menu_bar_win32.cpp ----

// WM_COMMAND from the menu bar: holds the item with identifier `id` and highlights it; the hold
// lasts until getMenuItemInfo has reported the item once.
void onMenuCommand(uint32_t id);

// Posted to the window by getMenuItemInfo when it has released an item's hold (wParam: the
// item's identifier); the window procedure then calls onMenuHoldEnded.
inline constexpr UINT kMenuHoldEndedMessage = WM_APP + 2;
// Takes the highlight off the item unless a new click holds it again.
void onMenuHoldEnded(uint32_t id);

// The system menu behind a menu handle of createMenu; nullptr for an unknown handle. Any thread.
HMENU nativeMenu(int32_t handle);

}  // namespace rt

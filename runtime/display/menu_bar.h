// The window's menu bar, driven the way the application drives a desktop menu: it creates a
// menu, inserts items described by a 44-byte item record, attaches the menu to its window and
// polls each item's state, whose bit 0x80 says the item is highlighted. A click on an item keeps
// it highlighted until the first poll after the button is released, so a click shorter than the
// application's polling interval is never missed.
//
// How the pieces fit: menu_bar.cpp holds what every platform shares (the caption tokens that
// stand in for text addresses in the 32-bit record). Each platform implements the rest:
// - menu_bar_strip.cpp (freeglut window): a strip of captioned items that the renderer draws
//   above the picture, in the runtime's 8 x 16 font; the strip takes the mouse presses on it.
// - menu_bar_win32.cpp (Win32 window): the system's own menus (CreateMenu, InsertMenuItemA,
//   SetMenu, GetMenuItemInfoA, FindWindowA); the menu bar lies outside the client area, and the
//   window procedure holds a clicked item's highlight until it has been polled.
//
// Threads: ProgramThread creates, inserts, attaches and polls; DisplayThread draws and feeds
// clicks. Each implementation keeps the two apart (a mutex, or work done on DisplayThread).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/rt_string.h"

namespace rt {

// The item record, 44 bytes of 32-bit little-endian fields in the desktop's layout: the 32-bit
// MENUITEMINFOA, whose handles and text address are 32 bits wide (the 64-bit one is larger; the
// Win32 menu maps each field onto it).
struct MenuItemRecord {
  uint32_t cbSize = 0;
  uint32_t fMask = 0;
  uint32_t fType = 0;
  uint32_t fState = 0;  // bit 0x80: highlighted
  uint32_t wID = 0;
  uint32_t hSubMenu = 0;
  uint32_t hbmpChecked = 0;
  uint32_t hbmpUnchecked = 0;
  uint32_t dwItemData = 0;
  uint32_t dwTypeData = 0;  // the caption's text, as a token from menuTextAddress
  uint32_t cch = 0;
};
static_assert(sizeof(MenuItemRecord) == 44);

inline constexpr uint32_t kMenuItemHighlighted = 0x80;
// Pixel height of the strip once a menu is attached (freeglut window).
inline constexpr int32_t kMenuStripHeight = 20;

// A 32-bit stand-in for the address of a caption text (a zero-terminated run of bytes that
// stays alive, such as a fixed-length string's storage). Any thread.
uint32_t menuTextAddress(const char* text);
// The caption text a token stands for; nullptr for 0 or an unknown token. Any thread.
const char* menuText(uint32_t token);

// A new, empty menu; its handle (1 and up).
int32_t createMenu();
// Items of `menu`, or -1 for an unknown handle.
int32_t getMenuItemCount(int32_t menu);
// Inserts an item before position `item` (at the end when past it) with the record's caption
// (text up to its first zero byte) and identifier. The strip supports insertion by position
// only; the Win32 menu also by identifier. 1 on success, 0 otherwise.
int32_t insertMenuItem(int32_t menu, int32_t item, int32_t byPosition, const MenuItemRecord* record);
// Attaches `menu` to the window `window` (the handle findWindow gave); 0 detaches. 1 on
// success, 0 when the window handle is not the program's window.
int32_t setMenu(int32_t window, int32_t menu);
// Copies the item's state (and identifier) into `record`; a press that has been released is
// cleared by this poll. 1 on success, 0 for an unknown menu or item.
int32_t getMenuItemInfo(int32_t menu, int32_t item, int32_t byPosition, MenuItemRecord* record);
// The handle of the program's window (1) when it exists and carries `title` (up to its first
// zero byte), else 0. Win32: looked up with FindWindowA.
int32_t findWindow(const RtString& title);

// Forgets every menu and caption token (tests).
void resetMenus();
// Forgets every caption token (resetMenus of each platform).
void forgetMenuTexts();

// ---- The strip of the freeglut window (menu_bar_strip.cpp); DisplayThread ----

// What the strip shows: captions and highlight states of the attached menu, and a version that
// changes whenever any of it changes. Empty captions when no menu is attached.
struct MenuStrip {
  std::vector<std::string> captions;
  std::vector<bool> highlighted;
  uint64_t version = 0;
};
MenuStrip attachedMenuStrip();
// The version attachedMenuStrip would report, without copying the captions.
uint64_t menuStripVersion();
// Height of the strip in pixels: kMenuStripHeight with a menu attached, else 0.
int32_t menuStripHeight();
// Left and right pixel columns of item `index` in the strip.
struct MenuItemSpan {
  int32_t left, right;
};
MenuItemSpan menuItemSpan(const MenuStrip& strip, size_t index);
// A mouse button went down (`down`) or up at window pixel (x, y). True when the strip took it.
bool menuMouseButton(bool down, int32_t x, int32_t y);

}  // namespace rt

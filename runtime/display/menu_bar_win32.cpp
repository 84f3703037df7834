// The menu bar of the Win32 window: the system's own menus.
//
// Menu handles given to the application are small numbers (1 and up) for the HMENUs that
// CreateMenu made, since the application keeps them in 32-bit variables. The 44-byte item
// record is mapped field by field onto the 64-bit MENUITEMINFOA: the caption token becomes the
// caption's address (menuText), a submenu handle becomes its HMENU, the 32-bit item data is
// widened, and the bitmap fields stay empty (the runtime has no bitmap handles).
//
// A click on an item of the menu bar: the system highlights a top-level item only while the
// mouse button is down on it, which a poll every 0.1 s can miss. So the window procedure, on the
// WM_COMMAND that ends the click, holds the item (under the menus' mutex) and highlights it again
// (HiliteMenuItem); the next getMenuItemInfo of the item reports it highlighted, releases the
// hold under the same mutex, so that a click cannot fall between the two, and asks DisplayThread
// to take the highlight off unless a new click holds the item again by then. A poll that finds
// nothing held costs no message to DisplayThread.
#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/display/menu_bar.h"
#include "runtime/display/window.h"
#include "runtime/display/window_state.h"
#include "runtime/display/window_title.h"
#include "runtime/display/window_win32.h"

namespace rt {
namespace {

// The menus, the one attached to the window (set on DisplayThread) and the identifiers of its
// clicked items that are held until a poll has seen them. One mutex guards them all; no system
// call that may wait for DisplayThread is made while it is held.
struct NativeMenus {
  std::mutex mutex;
  std::vector<HMENU> menus;  // handle - 1 -> menu
  HMENU attached = nullptr;
  std::vector<uint32_t> heldItems;
};

NativeMenus& nativeMenus() {
  static NativeMenus& menus = *new NativeMenus;  // used until the process ends
  return menus;
}

bool isHeld(const NativeMenus& m, uint32_t id) {
  return std::find(m.heldItems.begin(), m.heldItems.end(), id) != m.heldItems.end();
}

// Item types whose dwTypeData is not a caption text.
constexpr UINT kNonTextTypes = MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW;

// The 64-bit item description of the application's record; false when the record names a
// caption token, submenu or bitmap that does not exist.
bool toNativeItem(const MenuItemRecord& record, MENUITEMINFOA& item) {
  item = MENUITEMINFOA{};
  item.cbSize = sizeof item;  // the record's 44 is the size of the same structure in 32 bits
  item.fMask = record.fMask;
  item.fType = record.fType;
  item.fState = record.fState;
  item.wID = record.wID;
  item.dwItemData = record.dwItemData;
  item.cch = record.cch;
  if (record.hSubMenu != 0) {
    item.hSubMenu = nativeMenu(static_cast<int32_t>(record.hSubMenu));
    if (item.hSubMenu == nullptr) return false;
  }
  if (record.hbmpChecked != 0 || record.hbmpUnchecked != 0) return false;
  const bool carriesText = (record.fMask & (MIIM_TYPE | MIIM_STRING)) != 0 &&
                           (record.fType & kNonTextTypes) == 0;
  if (carriesText && record.dwTypeData != 0) {
    const char* caption = menuText(record.dwTypeData);
    if (caption == nullptr) return false;
    item.dwTypeData = const_cast<char*>(caption);  // InsertMenuItemA copies the text
  }
  return true;
}

// The position of the item with identifier `id` in `menu`, or -1.
int positionOf(HMENU menu, uint32_t id) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    if (GetMenuItemID(menu, position) == id) return position;
  }
  return -1;
}

// DisplayThread: sets or clears the highlight of the item with identifier `id` in `menu`.
void highlight(HMENU menu, uint32_t id, bool on) {
  const int position = positionOf(menu, id);
  if (position < 0) return;
  HiliteMenuItem(programWindow(), menu, static_cast<UINT>(position),
                 MF_BYPOSITION | (on ? MF_HILITE : MF_UNHILITE));
}

// Any thread: true when the item of `menu` was held; the hold is then released.
bool releaseHeldItem(HMENU menu, uint32_t id) {
  NativeMenus& m = nativeMenus();
  std::lock_guard lock(m.mutex);
  if (menu != m.attached) return false;
  auto held = std::find(m.heldItems.begin(), m.heldItems.end(), id);
  if (held == m.heldItems.end()) return false;
  m.heldItems.erase(held);
  return true;
}

HMENU attachedMenu() {
  NativeMenus& m = nativeMenus();
  std::lock_guard lock(m.mutex);
  return m.attached;
}

// Repaints the menu bar after a change to the attached menu, as the system requires.
void redrawMenuBarOf(HMENU menu) {
  if (menu != attachedMenu()) return;
  runOnWindowThread([menu] {
    if (menu == attachedMenu()) DrawMenuBar(programWindow());
  });
}

}  // namespace

HMENU nativeMenu(int32_t handle) {
  NativeMenus& m = nativeMenus();
  std::lock_guard lock(m.mutex);
  if (handle < 1 || static_cast<size_t>(handle) > m.menus.size()) return nullptr;
  return m.menus[static_cast<size_t>(handle) - 1];
}

int32_t createMenu() {
  HMENU menu = CreateMenu();
  if (menu == nullptr) return 0;
  NativeMenus& m = nativeMenus();
  std::lock_guard lock(m.mutex);
  m.menus.push_back(menu);
  return static_cast<int32_t>(m.menus.size());
}

int32_t getMenuItemCount(int32_t menu) {
  HMENU native = nativeMenu(menu);
  return native == nullptr ? -1 : GetMenuItemCount(native);
}

int32_t insertMenuItem(int32_t menu, int32_t item, int32_t byPosition, const MenuItemRecord* record) {
  HMENU native = nativeMenu(menu);
  MENUITEMINFOA info;
  if (native == nullptr || record == nullptr || !toNativeItem(*record, info)) return 0;
  if (InsertMenuItemA(native, static_cast<UINT>(item), byPosition != 0 ? TRUE : FALSE, &info) == 0) return 0;
  redrawMenuBarOf(native);
  return 1;
}

int32_t setMenu(int32_t window, int32_t menu) {
  if (window != 1 || !windowExists.load(std::memory_order_acquire)) return 0;
  HMENU native = nullptr;
  if (menu != 0) {
    native = nativeMenu(menu);
    if (native == nullptr) return 0;
  }
  BOOL attached = FALSE;
  runOnWindowThread([&] {
    attached = SetMenu(programWindow(), native);
    if (attached == 0) return;
    {
      NativeMenus& m = nativeMenus();
      std::lock_guard lock(m.mutex);
      m.attached = native;
      m.heldItems.clear();
    }
    // The menu bar took its height from the client area; the next draw gives it back.
    windowState().forceRedraw = true;
    wakePresenter();
  });
  return attached != 0 ? 1 : 0;
}

int32_t getMenuItemInfo(int32_t menu, int32_t item, int32_t byPosition, MenuItemRecord* record) {
  HMENU native = nativeMenu(menu);
  if (native == nullptr || record == nullptr) return 0;
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE | MIIM_ID;
  if (GetMenuItemInfoA(native, static_cast<UINT>(item), byPosition != 0 ? TRUE : FALSE, &info) == 0) return 0;
  // A held item is reported highlighted even if its mark is not on (yet) in the system's state.
  const bool held = releaseHeldItem(native, info.wID);
  record->fState = info.fState | (held ? MFS_HILITE : 0u);
  record->wID = info.wID;
  if (held && programWindow() != nullptr) PostMessageA(programWindow(), kMenuHoldEndedMessage, info.wID, 0);
  return 1;
}

int32_t findWindow(const RtString& title) {
  HWND ours = programWindow();
  if (!windowExists.load(std::memory_order_acquire) || ours == nullptr) return 0;
  std::string wanted(title.view());
  wanted.resize(std::min(wanted.size(), wanted.find('\0')));
  HWND found = FindWindowA(nullptr, wanted.c_str());
  if (found == ours) return 1;
  // Another window with the same title (a second instance, say) may come first; the program
  // means its own window when that carries the title.
  return found != nullptr && currentWindowTitle() == wanted ? 1 : 0;
}

void onMenuCommand(uint32_t id) {
  HMENU menu = attachedMenu();
  if (menu == nullptr || positionOf(menu, id) < 0) return;
  {
    NativeMenus& m = nativeMenus();
    std::lock_guard lock(m.mutex);
    if (!isHeld(m, id)) m.heldItems.push_back(id);
  }
  highlight(menu, id, true);
}

void onMenuHoldEnded(uint32_t id) {
  HMENU menu;
  {
    NativeMenus& m = nativeMenus();
    std::lock_guard lock(m.mutex);
    if (isHeld(m, id)) return;  // clicked again since: the new hold keeps the highlight
    menu = m.attached;
  }
  if (menu != nullptr) highlight(menu, id, false);
}

void resetMenus() {
  forgetMenuTexts();
  runOnWindowThread([] {
    if (attachedMenu() != nullptr) SetMenu(programWindow(), nullptr);
  });
  NativeMenus& m = nativeMenus();
  std::lock_guard lock(m.mutex);
  m.attached = nullptr;
  m.heldItems.clear();
  for (HMENU menu : m.menus) DestroyMenu(menu);
  m.menus.clear();
}

}  // namespace rt

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
// WM_COMMAND that ends the click, highlights the item again (HiliteMenuItem) and holds it; the
// next getMenuItemInfo of the item reports it highlighted and then clears it. Both run on
// DisplayThread (getMenuItemInfo through runOnWindowThread once the window exists), so a click
// cannot fall between a poll's reading and its clearing.
#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/display/menu_bar.h"
#include "runtime/display/window_state.h"
#include "runtime/display/window_title.h"
#include "runtime/display/window_win32.h"

namespace rt {
namespace {

struct NativeMenus {
  std::mutex mutex;
  std::vector<HMENU> menus;  // handle - 1 -> menu
};

NativeMenus& nativeMenus() {
  static NativeMenus& menus = *new NativeMenus;  // used until the process ends
  return menus;
}

// DisplayThread: the menu attached to the window, and the identifiers of its clicked items
// whose highlight is held until a poll has seen it.
HMENU attachedMenu = nullptr;
std::vector<uint32_t> heldItems;

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

void highlight(uint32_t id, bool on) {
  const int position = positionOf(attachedMenu, id);
  if (position < 0) return;
  HiliteMenuItem(programWindow(), attachedMenu, static_cast<UINT>(position),
                 MF_BYPOSITION | (on ? MF_HILITE : MF_UNHILITE));
}

// DisplayThread: true when the item was held; its highlight is then cleared.
bool releaseHeldItem(HMENU menu, uint32_t id) {
  if (menu != attachedMenu) return false;
  auto held = std::find(heldItems.begin(), heldItems.end(), id);
  if (held == heldItems.end()) return false;
  heldItems.erase(held);
  highlight(id, false);
  return true;
}

// Repaints the menu bar after a change to the attached menu, as the system requires.
void redrawMenuBarOf(HMENU menu) {
  runOnWindowThread([menu] {
    if (menu == attachedMenu && attachedMenu != nullptr) DrawMenuBar(programWindow());
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
    attachedMenu = native;
    heldItems.clear();
    // The menu bar took its height from the client area; the next draw gives it back.
    windowState().forceRedraw = true;
  });
  return attached != 0 ? 1 : 0;
}

int32_t getMenuItemInfo(int32_t menu, int32_t item, int32_t byPosition, MenuItemRecord* record) {
  HMENU native = nativeMenu(menu);
  if (native == nullptr || record == nullptr) return 0;
  BOOL found = FALSE;
  runOnWindowThread([&] {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_ID;
    found = GetMenuItemInfoA(native, static_cast<UINT>(item), byPosition != 0 ? TRUE : FALSE, &info);
    if (found == 0) return;
    // A held item is reported highlighted even if the system has already dropped the mark.
    const bool held = releaseHeldItem(native, info.wID);
    record->fState = info.fState | (held ? MFS_HILITE : 0u);
    record->wID = info.wID;
  });
  return found != 0 ? 1 : 0;
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
  if (attachedMenu == nullptr || positionOf(attachedMenu, id) < 0) return;
  highlight(id, true);
  if (std::find(heldItems.begin(), heldItems.end(), id) == heldItems.end()) heldItems.push_back(id);
}

void resetMenus() {
  forgetMenuTexts();
  runOnWindowThread([] {
    if (attachedMenu != nullptr) SetMenu(programWindow(), nullptr);
    attachedMenu = nullptr;
    heldItems.clear();
  });
  NativeMenus& m = nativeMenus();
  std::lock_guard lock(m.mutex);
  for (HMENU menu : m.menus) DestroyMenu(menu);
  m.menus.clear();
}

}  // namespace rt

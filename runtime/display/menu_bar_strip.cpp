// The menu bar of the freeglut window: a strip of captioned items above the picture.
//
// The menus live here, guarded by one mutex: ProgramThread creates, inserts, attaches and
// polls; DisplayThread reads the attached menu to draw the strip and feeds it mouse presses. A
// press on an item highlights it; the release keeps the highlight until the next poll.
#include "runtime/display/menu_bar.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "runtime/display/window.h"
#include "runtime/display/window_state.h"
#include "runtime/display/window_title.h"

namespace rt {
namespace {

constexpr int32_t kItemPadding = 8;  // blank pixels left and right of a caption
constexpr int32_t kStripMargin = 4;  // before the first item

struct MenuItem {
  std::string caption;
  uint32_t id = 0;
  bool pressed = false;   // the mouse button is down on it
  bool released = false;  // pressed and released, not yet seen by a poll
};

struct Menus {
  std::mutex mutex;
  std::vector<std::vector<MenuItem>> menus;  // handle - 1 -> items
  int32_t attached = 0;
  uint64_t version = 1;
};

Menus& state() {
  static Menus& menus = *new Menus;  // used until the process ends
  return menus;
}

// A change of what the strip shows: the window draws it at its next pass, which this asks for.
// Under m.mutex.
void markChanged(Menus& m) {
  ++m.version;
  wakePresenter();
}

std::vector<MenuItem>* menuOf(Menus& m, int32_t handle) {
  if (handle < 1 || static_cast<size_t>(handle) > m.menus.size()) return nullptr;
  return &m.menus[static_cast<size_t>(handle) - 1];
}

bool highlighted(const MenuItem& item) { return item.pressed || item.released; }

}  // namespace

int32_t createMenu() {
  Menus& m = state();
  std::lock_guard lock(m.mutex);
  m.menus.emplace_back();
  return static_cast<int32_t>(m.menus.size());
}

int32_t getMenuItemCount(int32_t menu) {
  Menus& m = state();
  std::lock_guard lock(m.mutex);
  std::vector<MenuItem>* items = menuOf(m, menu);
  return items == nullptr ? -1 : static_cast<int32_t>(items->size());
}

int32_t insertMenuItem(int32_t menu, int32_t item, int32_t byPosition, const MenuItemRecord* record) {
  Menus& m = state();
  std::lock_guard lock(m.mutex);
  std::vector<MenuItem>* items = menuOf(m, menu);
  if (items == nullptr || record == nullptr || byPosition == 0 || item < 0) return 0;
  MenuItem added;
  added.id = record->wID;
  if (const char* caption = menuText(record->dwTypeData)) added.caption = caption;
  size_t at = std::min(static_cast<size_t>(item), items->size());
  items->insert(items->begin() + static_cast<ptrdiff_t>(at), added);
  markChanged(m);
  return 1;
}

int32_t setMenu(int32_t window, int32_t menu) {
  if (window != 1 || !windowExists.load(std::memory_order_acquire)) return 0;
  Menus& m = state();
  std::lock_guard lock(m.mutex);
  if (menu != 0 && menuOf(m, menu) == nullptr) return 0;
  m.attached = menu;
  markChanged(m);
  return 1;
}

int32_t getMenuItemInfo(int32_t menu, int32_t item, int32_t byPosition, MenuItemRecord* record) {
  Menus& m = state();
  std::lock_guard lock(m.mutex);
  std::vector<MenuItem>* items = menuOf(m, menu);
  if (items == nullptr || record == nullptr || byPosition == 0 || item < 0 ||
      static_cast<size_t>(item) >= items->size()) {
    return 0;
  }
  MenuItem& found = (*items)[static_cast<size_t>(item)];
  record->fState = highlighted(found) ? kMenuItemHighlighted : 0;
  record->wID = found.id;
  if (found.released) {
    found.released = false;
    markChanged(m);
  }
  return 1;
}

int32_t findWindow(const RtString& title) {
  if (!windowExists.load(std::memory_order_acquire)) return 0;
  std::string_view wanted = title.view();
  wanted = wanted.substr(0, wanted.find('\0'));
  return currentWindowTitle() == wanted ? 1 : 0;
}

MenuStrip attachedMenuStrip() {
  Menus& m = state();
  std::lock_guard lock(m.mutex);
  MenuStrip strip;
  strip.version = m.version;
  if (std::vector<MenuItem>* items = menuOf(m, m.attached)) {
    for (const MenuItem& item : *items) {
      strip.captions.push_back(item.caption);
      strip.highlighted.push_back(highlighted(item));
    }
  }
  return strip;
}

uint64_t menuStripVersion() {
  Menus& m = state();
  std::lock_guard lock(m.mutex);
  return m.version;
}

int32_t menuStripHeight() {
  Menus& m = state();
  std::lock_guard lock(m.mutex);
  return m.attached != 0 ? kMenuStripHeight : 0;
}

MenuItemSpan menuItemSpan(const MenuStrip& strip, size_t index) {
  int32_t left = kStripMargin;
  for (size_t i = 0; i < index && i < strip.captions.size(); ++i) {
    left += static_cast<int32_t>(strip.captions[i].size()) * 8 + 2 * kItemPadding;
  }
  int32_t width = index < strip.captions.size()
                      ? static_cast<int32_t>(strip.captions[index].size()) * 8 + 2 * kItemPadding
                      : 0;
  return {left, left + width - 1};
}

bool menuMouseButton(bool down, int32_t x, int32_t y) {
  MenuStrip strip = attachedMenuStrip();
  Menus& m = state();
  std::lock_guard lock(m.mutex);
  std::vector<MenuItem>* items = menuOf(m, m.attached);
  if (items == nullptr) return false;
  if (!down) {
    // A release anywhere ends the press; the item stays highlighted until it is polled.
    bool any = false;
    for (MenuItem& item : *items) {
      if (item.pressed) item.pressed = false, item.released = true, any = true;
    }
    if (any) markChanged(m);
    return any;
  }
  if (y < 0 || y >= kMenuStripHeight) return false;
  for (size_t i = 0; i < items->size() && i < strip.captions.size(); ++i) {
    MenuItemSpan span = menuItemSpan(strip, i);
    if (x >= span.left && x <= span.right) {
      (*items)[i].pressed = true;
      markChanged(m);
      break;
    }
  }
  return true;
}

void resetMenus() {
  forgetMenuTexts();
  Menus& m = state();
  std::lock_guard lock(m.mutex);
  m.menus.clear();
  m.attached = 0;
  markChanged(m);
}

}  // namespace rt

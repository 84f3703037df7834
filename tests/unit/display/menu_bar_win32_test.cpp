// The Win32 menu bar's menus, without a window (Wine makes menus with no display): the 44-byte
// record mapped onto the system's MENUITEMINFOA, item counts and polls. Attaching a menu and a
// click's held highlight need the window; the end-to-end tests under Wine cover them.
#include "runtime/display/menu_bar.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/core/rt_string.h"
#include "runtime/display/window_win32.h"

namespace rt {
namespace {

class MenuBarWin32Test : public ::testing::Test {
 protected:
  void SetUp() override { resetMenus(); }
  void TearDown() override { resetMenus(); }

  // A record as the plotter fills it: state, identifier and type, the caption as a token.
  static MenuItemRecord captionRecord(const char* caption, uint32_t id) {
    MenuItemRecord record;
    record.cbSize = 44;
    record.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;  // 19
    record.wID = id;
    record.dwTypeData = menuTextAddress(caption);
    record.cch = 4;
    return record;
  }

  static std::string captionAt(int32_t menu, UINT position) {
    char text[64] = {};
    GetMenuStringA(nativeMenu(menu), position, text, sizeof text, MF_BYPOSITION);
    return text;
  }
};

TEST_F(MenuBarWin32Test, ItemsTakeTheirCaptionsIdentifiersAndPositions) {
  int32_t menu = createMenu();
  ASSERT_GE(menu, 1);
  ASSERT_NE(nativeMenu(menu), nullptr);
  EXPECT_EQ(getMenuItemCount(menu), 0);
  // The plotter's caption buffer: the caption, a zero byte, then blanks.
  static char buffer[1000];
  std::memset(buffer, ' ', sizeof buffer);
  std::memcpy(buffer, "Edit setup file", 16);
  MenuItemRecord edit = captionRecord(buffer, 0);
  EXPECT_EQ(insertMenuItem(menu, 0, 1, &edit), 1);
  MenuItemRecord help = captionRecord("Help", 1);
  EXPECT_EQ(insertMenuItem(menu, getMenuItemCount(menu), 1, &help), 1);
  EXPECT_EQ(getMenuItemCount(menu), 2);
  EXPECT_EQ(captionAt(menu, 0), "Edit setup file");
  EXPECT_EQ(captionAt(menu, 1), "Help");
  MenuItemRecord first = captionRecord("First", 9);
  EXPECT_EQ(insertMenuItem(menu, 0, 1, &first), 1);  // before position 0
  EXPECT_EQ(captionAt(menu, 0), "First");
  EXPECT_EQ(GetMenuItemID(nativeMenu(menu), 2), 1u);
}

TEST_F(MenuBarWin32Test, APollCopiesStateAndIdentifierIntoTheRecord) {
  int32_t menu = createMenu();
  MenuItemRecord item = captionRecord("Help", 5);
  item.fState = MFS_CHECKED;
  ASSERT_EQ(insertMenuItem(menu, 0, 1, &item), 1);
  MenuItemRecord polled;
  polled.fState = 0xFFFF;
  EXPECT_EQ(getMenuItemInfo(menu, 0, 1, &polled), 1);
  EXPECT_EQ(polled.wID, 5u);
  EXPECT_EQ(polled.fState, static_cast<uint32_t>(MFS_CHECKED));
  EXPECT_EQ(polled.fState & kMenuItemHighlighted, 0u);
  EXPECT_EQ(getMenuItemInfo(menu, 5, 0, &polled), 1);  // by identifier
  EXPECT_EQ(polled.wID, 5u);
  // A highlight the system set is reported as bit 0x80.
  MENUITEMINFOA lit{};
  lit.cbSize = sizeof lit;
  lit.fMask = MIIM_STATE;
  lit.fState = MFS_HILITE;
  ASSERT_TRUE(SetMenuItemInfoA(nativeMenu(menu), 0, TRUE, &lit));
  EXPECT_EQ(getMenuItemInfo(menu, 0, 1, &polled), 1);
  EXPECT_EQ(polled.fState & kMenuItemHighlighted, kMenuItemHighlighted);
  EXPECT_EQ(getMenuItemInfo(menu, 3, 1, &polled), 0);  // no such item
}

TEST_F(MenuBarWin32Test, SubmenusSeparatorsAndItemDataMapOntoTheSystemRecord) {
  int32_t menu = createMenu();
  int32_t submenu = createMenu();
  MenuItemRecord popup = captionRecord("File", 1);
  popup.fMask |= MIIM_SUBMENU | MIIM_DATA;
  popup.hSubMenu = static_cast<uint32_t>(submenu);
  popup.dwItemData = 0xCAFE;
  ASSERT_EQ(insertMenuItem(menu, 0, 1, &popup), 1);
  MenuItemRecord separator;
  separator.fMask = MIIM_TYPE;
  separator.fType = MFT_SEPARATOR;
  ASSERT_EQ(insertMenuItem(menu, 1, 1, &separator), 1);
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_SUBMENU | MIIM_DATA | MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoA(nativeMenu(menu), 0, TRUE, &info));
  EXPECT_EQ(info.hSubMenu, nativeMenu(submenu));
  EXPECT_EQ(info.dwItemData, 0xCAFEu);
  ASSERT_TRUE(GetMenuItemInfoA(nativeMenu(menu), 1, TRUE, &info));
  EXPECT_NE(info.fType & MFT_SEPARATOR, 0u);
}

TEST_F(MenuBarWin32Test, RecordsNamingWhatDoesNotExistAreRefused) {
  int32_t menu = createMenu();
  MenuItemRecord unknownCaption = captionRecord("Help", 1);
  unknownCaption.dwTypeData = 999;
  EXPECT_EQ(insertMenuItem(menu, 0, 1, &unknownCaption), 0);
  MenuItemRecord unknownSubmenu = captionRecord("Help", 1);
  unknownSubmenu.fMask |= MIIM_SUBMENU;
  unknownSubmenu.hSubMenu = 77;
  EXPECT_EQ(insertMenuItem(menu, 0, 1, &unknownSubmenu), 0);
  MenuItemRecord bitmap = captionRecord("Help", 1);
  bitmap.fMask |= MIIM_CHECKMARKS;
  bitmap.hbmpChecked = 5;
  EXPECT_EQ(insertMenuItem(menu, 0, 1, &bitmap), 0);
  EXPECT_EQ(getMenuItemCount(menu), 0);
  MenuItemRecord good = captionRecord("Help", 1);
  EXPECT_EQ(insertMenuItem(99, 0, 1, &good), 0);  // no such menu
  EXPECT_EQ(insertMenuItem(menu, 0, 1, nullptr), 0);
  EXPECT_EQ(getMenuItemCount(99), -1);
  EXPECT_EQ(getMenuItemCount(0), -1);
}

TEST_F(MenuBarWin32Test, WithoutTheWindowNothingIsFoundOrAttached) {
  int32_t menu = createMenu();
  EXPECT_EQ(findWindow(literalString("Untitled")), 0);
  EXPECT_EQ(setMenu(1, menu), 0);
  EXPECT_EQ(setMenu(7, menu), 0);
}

}  // namespace
}  // namespace rt

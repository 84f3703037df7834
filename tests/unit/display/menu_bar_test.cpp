#include "runtime/display/menu_bar.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/display/window_state.h"

namespace rt {
namespace {

class MenuBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetMenus();
    windowExists = true;
  }
  void TearDown() override {
    resetMenus();
    windowExists = false;
  }

  // Inserts `caption` the way the plotter does: a 1000-byte buffer holding the caption, a zero
  // byte and blanks.
  int32_t insert(int32_t menu, const char* caption) {
    static char buffers[4][1000];
    static int next = 0;
    char* buffer = buffers[next++ % 4];
    std::memset(buffer, ' ', sizeof buffers[0]);
    std::memcpy(buffer, caption, std::strlen(caption) + 1);
    MenuItemRecord record;
    record.cbSize = 44;
    record.fMask = 19;
    record.wID = static_cast<uint32_t>(getMenuItemCount(menu));
    record.dwTypeData = menuTextAddress(buffer);
    record.cch = 4;
    return insertMenuItem(menu, getMenuItemCount(menu), 1, &record);
  }

  uint32_t poll(int32_t menu, int32_t item) {
    MenuItemRecord record;
    EXPECT_EQ(getMenuItemInfo(menu, item, 1, &record), 1);
    return record.fState & kMenuItemHighlighted;
  }
};

TEST_F(MenuBarTest, ItemsTakeTheirCaptionsAndPositions) {
  int32_t menu = createMenu();
  EXPECT_EQ(getMenuItemCount(menu), 0);
  EXPECT_EQ(insert(menu, "Edit setup file"), 1);
  EXPECT_EQ(insert(menu, "Help"), 1);
  EXPECT_EQ(getMenuItemCount(menu), 2);
  EXPECT_EQ(menuStripHeight(), 0);  // not attached yet
  EXPECT_EQ(setMenu(1, menu), 1);
  EXPECT_EQ(menuStripHeight(), kMenuStripHeight);
  MenuStrip strip = attachedMenuStrip();
  ASSERT_EQ(strip.captions.size(), 2u);
  EXPECT_EQ(strip.captions[0], "Edit setup file");
  EXPECT_EQ(strip.captions[1], "Help");
  EXPECT_EQ(getMenuItemCount(99), -1);
  EXPECT_EQ(setMenu(7, menu), 0);  // not the program's window
}

TEST_F(MenuBarTest, AClickHighlightsTheItemUntilTheFirstPollAfterRelease) {
  int32_t menu = createMenu();
  insert(menu, "Edit setup file");
  insert(menu, "Help");
  setMenu(1, menu);
  MenuStrip strip = attachedMenuStrip();
  MenuItemSpan help = menuItemSpan(strip, 1);
  EXPECT_EQ(poll(menu, 1), 0u);
  EXPECT_TRUE(menuMouseButton(true, help.left + 1, 5));
  EXPECT_EQ(poll(menu, 1), kMenuItemHighlighted);  // held down: stays highlighted
  EXPECT_EQ(poll(menu, 1), kMenuItemHighlighted);
  EXPECT_EQ(poll(menu, 0), 0u);
  EXPECT_TRUE(menuMouseButton(false, 300, 300));  // released anywhere
  EXPECT_EQ(poll(menu, 1), kMenuItemHighlighted);  // seen once more, then cleared
  EXPECT_EQ(poll(menu, 1), 0u);
  // A click that falls between two polls is still seen once.
  menuMouseButton(true, menuItemSpan(strip, 0).right, 10);
  menuMouseButton(false, 0, 0);
  EXPECT_EQ(poll(menu, 0), kMenuItemHighlighted);
  EXPECT_EQ(poll(menu, 0), 0u);
}

TEST_F(MenuBarTest, PressesOutsideTheStripOrItemsAreNotTaken) {
  int32_t menu = createMenu();
  insert(menu, "Help");
  EXPECT_FALSE(menuMouseButton(true, 10, 5));  // no menu attached
  setMenu(1, menu);
  EXPECT_FALSE(menuMouseButton(true, 10, kMenuStripHeight));  // below the strip
  EXPECT_TRUE(menuMouseButton(true, 600, 5));                  // on the strip, no item
  EXPECT_EQ(poll(menu, 0), 0u);
}

}  // namespace
}  // namespace rt

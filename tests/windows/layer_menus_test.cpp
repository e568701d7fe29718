// Popup menus of the layer: submenus, check marks, where they open and how a choice comes back.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/windows/layer_test_util.h"
#include "ui/layer/menus_win.h"
#include "ui/layer/windows_win.h"

namespace {

constexpr int kTestMenu = 40;

class LayerMenus : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitWindowLayer();
    window_ = NewWindow(-1, 50, 50, 200, 100, WS_OVERLAPPEDWINDOW, "menus", nullptr);
  }
  static void TearDownTestSuite() { DisposeWindow(window_); }

  void SetUp() override {
    ASSERT_NE(NewPopupMenu(kTestMenu), nullptr);
    AppendItem(501, "first");
    BeginSubmenu("sub");
    AppendItem(502, "inner");
    EndSubmenu();
    AppendSeparator();
    AppendItem(503, "last");
    while (PollForEvent(30) != EventNone) {
    }
  }

  static int window_;
};
int LayerMenus::window_ = 0;

TEST_F(LayerMenus, SubmenusNestAndEndReturnsToTheEnclosingMenu) {
  HMENU menu = MenuHandle(kTestMenu);
  ASSERT_EQ(GetMenuItemCount(menu), 4);
  EXPECT_EQ(GetMenuItemID(menu, 0), 501u);
  HMENU sub = GetSubMenu(menu, 1);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(GetMenuItemCount(sub), 1);
  EXPECT_EQ(GetMenuItemID(sub, 0), 502u);
  EXPECT_EQ(GetMenuState(menu, 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(GetMenuItemID(menu, 3), 503u);
  // An unmatched EndSubmenu keeps the outer menu as the one being built.
  EndSubmenu();
  AppendItem(504, "after");
  EXPECT_EQ(GetMenuItemID(menu, 4), 504u);
}

TEST_F(LayerMenus, CheckMarksByCommandId) {
  SetItemChecked(kTestMenu, 502, true);
  EXPECT_TRUE(GetMenuState(MenuHandle(kTestMenu), 502, MF_BYCOMMAND) & MF_CHECKED);
  SetItemChecked(kTestMenu, 502, false);
  EXPECT_FALSE(GetMenuState(MenuHandle(kTestMenu), 502, MF_BYCOMMAND) & MF_CHECKED);
  SetItemChecked(999, 502, true);  // no such menu: nothing happens
}

TEST_F(LayerMenus, ChosenEntryArrivesAsMenuEvent) {
  static RECT shown;
  shown = RECT{};
  WindowWatcher watcher("#32768", [](HWND popup) {
    GetWindowRect(popup, &shown);
    PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
  });
  PopupAt(kTestMenu, WindowHandle(window_), 120, 140);
  ASSERT_EQ(PollForEvent(), EventMenu);
  EXPECT_EQ(EventCommand(), 501);
  EXPECT_EQ(shown.left, 120);
  EXPECT_EQ(shown.top, 140);
}

TEST_F(LayerMenus, CursorMenuOpensJustAboveLeftOfTheCursor) {
  static RECT shown;
  shown = RECT{};
  SetCursorPos(300, 260);
  WindowWatcher watcher("#32768", [](HWND popup) {
    GetWindowRect(popup, &shown);
    PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  PopupAtCursor(kTestMenu, WindowHandle(window_));
  EXPECT_FALSE(DrainSeesEvent(EventMenu));  // dismissed: no command
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(shown.left, cursor.x - 1);
  EXPECT_EQ(shown.top, cursor.y - 1);
}

}  // namespace

// The window layer's events: close requests, list and command notifications, tray and menu
// messages, the hook convention and shortcuts per window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/windows/layer_test_util.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/windows_win.h"

namespace {

// One shown window serves the suite: destroying a shown window is slow without a window manager.
class LayerEvents : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitWindowLayer();
    window_ = NewWindow(-1, 100, 100, 320, 240, WS_OVERLAPPEDWINDOW, "layer events", nullptr);
    handle_ = WindowHandle(window_);
  }
  static void TearDownTestSuite() { DisposeWindow(window_); }

  void SetUp() override {
    ASSERT_NE(handle_, nullptr);
    SetForegroundWindow(handle_);
    while (PollForEvent(30) != EventNone) {
    }
  }
  void TearDown() override {
    SetWindowHook(nullptr);
    if (list_) DestroyWindow(ControlHandle(list_));
    list_ = 0;
  }

  int NewList() {
    BeginControls(handle_);
    int list = NewListControl(-1, 0, 0, 300, 200, "Menu", 280, ListCheckBoxes | ListFullRowSelect);
    for (int row = 0; row < 3; ++row) InsertRow(list, -1, "row");
    while (PollForEvent(30) != EventNone) {
    }
    list_ = list;
    return list;
  }

  static int window_;
  static HWND handle_;
  int list_ = 0;
};
int LayerEvents::window_ = 0;
HWND LayerEvents::handle_ = nullptr;

TEST_F(LayerEvents, CloseRequestLeavesWindowInPlace) {
  PostMessageA(handle_, WM_CLOSE, 0, 0);
  EXPECT_EQ(PollForEvent(), EventCloseRequest);
  EXPECT_TRUE(IsWindow(handle_));
  EXPECT_TRUE(IsWindowVisible(handle_));
  // The stored event does not outlive the poll that reported it.
  EXPECT_EQ(PollEvent(), EventNone);
}

TEST_F(LayerEvents, MenuCommandsShortcutsAndControlCommands) {
  PostMessageA(handle_, WM_COMMAND, MAKEWPARAM(55, 0), 0);
  ASSERT_EQ(PollForEvent(), EventMenu);
  EXPECT_EQ(EventCommand(), 55);
  EXPECT_EQ(EventDetail(), -1);

  BeginControls(handle_);
  HWND button = CreateWindowExA(0, "BUTTON", "b", WS_CHILD, 0, 0, 10, 10, handle_,
                                reinterpret_cast<HMENU>(77), GetModuleHandleA(nullptr), nullptr);
  PostMessageA(handle_, WM_COMMAND, MAKEWPARAM(77, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  ASSERT_EQ(PollForEvent(), EventControl);
  EXPECT_EQ(EventSource(), 77);
  EXPECT_EQ(EventDetail(), BN_CLICKED);
  DestroyWindow(button);
}

TEST_F(LayerEvents, ListRightClickAndSelectionChanges) {
  int list = NewList();
  HWND listHandle = ControlHandle(list);
  RECT row{};
  row.left = LVIR_BOUNDS;
  SendMessageA(listHandle, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
  LPARAM point = MAKELPARAM(row.left + 100, (row.top + row.bottom) / 2);

  PostMessageA(listHandle, WM_RBUTTONDOWN, MK_RBUTTON, point);
  PostMessageA(listHandle, WM_RBUTTONUP, 0, point);
  bool sawRightClick = false;
  for (int kind = PollForEvent(); kind != EventNone; kind = PollForEvent(200)) {
    if (kind == EventControl && EventDetail() == 1) {
      sawRightClick = true;
      EXPECT_EQ(EventSource(), list);
    }
  }
  EXPECT_TRUE(sawRightClick);

  // Keyboard selection and the check box both arrive as changes without a click kind.
  SetControlState(list, 0);
  while (PollForEvent(30) != EventNone) {
  }
  PostMessageA(listHandle, WM_KEYDOWN, VK_DOWN, 0);
  ASSERT_EQ(PollForEvent(), EventControl);
  EXPECT_EQ(EventSource(), list);
  EXPECT_EQ(EventDetail(), -1);
  EXPECT_EQ(GetControlState(list), 1);
  while (PollForEvent(30) != EventNone) {
  }
  PostMessageA(listHandle, WM_KEYDOWN, VK_SPACE, 0);
  ASSERT_EQ(PollForEvent(), EventControl);
  EXPECT_EQ(EventDetail(), -1);
  EXPECT_EQ(GetRowState(list, 1) & RowChecked, RowChecked);
}

TEST_F(LayerEvents, TrayCallbackDetails) {
  struct Case {
    LPARAM mouse;
    int detail;
  };
  for (Case c : {Case{WM_LBUTTONUP, 0}, Case{WM_RBUTTONUP, 1}, Case{WM_LBUTTONDBLCLK, 2}, Case{WM_RBUTTONDBLCLK, 3}}) {
    // The shell sends the callback; the layer reports it from the queue.
    SendMessageA(handle_, MessageTrayCallback, 7, c.mouse);
    ASSERT_EQ(PollForEvent(), EventTray) << c.mouse;
    EXPECT_EQ(EventSource(), 7);
    EXPECT_EQ(EventDetail(), c.detail);
  }
  SendMessageA(handle_, MessageTrayCallback, 7, WM_MOUSEMOVE);
  SendMessageA(handle_, MessageTrayCallback, 7, WM_LBUTTONDOWN);
  EXPECT_FALSE(DrainSeesEvent(EventTray));
}

TEST_F(LayerEvents, HookAnswersOrLetsTheLayerGoOn) {
  static UINT swallowed;
  swallowed = 0;
  SetWindowHook([](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_CLOSE) {
      ++swallowed;
      return 0;
    }
    if (message == WM_APP + 3) return 42;
    return HookContinue;
  });
  PostMessageA(handle_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(DrainSeesEvent(EventCloseRequest));
  EXPECT_EQ(swallowed, 1u);
  EXPECT_EQ(SendMessageA(handle_, WM_APP + 3, 0, 0), 42);

  PostMessageA(handle_, WM_COMMAND, 9, 0);
  ASSERT_EQ(PollForEvent(), EventMenu);
  EXPECT_EQ(EventCommand(), 9);
}

TEST_F(LayerEvents, ShortcutsActOnlyInTheirActiveWindow) {
  AddShortcut(window_, VK_DELETE, 200);
  AddShortcut(window_, 'D' | ShortcutCtrl, 204);
  AddShortcut(window_, VK_DELETE, 201);  // binding a key again replaces its command
  SetForegroundWindow(handle_);
  SetActiveWindow(handle_);
  ASSERT_EQ(GetActiveWindow(), handle_);

  PostMessageA(handle_, WM_KEYDOWN, VK_DELETE, 0);
  ASSERT_EQ(PollForEvent(), EventMenu);
  EXPECT_EQ(EventCommand(), 201);

  int other = NewWindow(-1, 150, 150, 200, 100, WS_OVERLAPPEDWINDOW, "other", nullptr);
  HWND otherHandle = WindowHandle(other);
  SetForegroundWindow(otherHandle);
  SetActiveWindow(otherHandle);
  ASSERT_EQ(GetActiveWindow(), otherHandle);
  PostMessageA(handle_, WM_KEYDOWN, VK_DELETE, 0);
  PostMessageA(otherHandle, WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_FALSE(DrainSeesEvent(EventMenu));
  DisposeWindow(other);
}

TEST_F(LayerEvents, NewWindowSizesOptionsAndCurrentWindow) {
  int hidden = NewWindow(-1, 10, 20, 305, 250, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WindowHidden,
                         "sized", nullptr);
  ASSERT_NE(hidden, 0);
  HWND handle = WindowHandle(hidden);
  EXPECT_EQ(CurrentWindowHandle(), handle);
  EXPECT_FALSE(IsWindowVisible(handle));
  RECT client{};
  GetClientRect(handle, &client);
  EXPECT_EQ(client.right, 305);
  EXPECT_EQ(client.bottom, 250);
  EXPECT_EQ(CurrentClientHeight(), 250);
  MoveCurrentWindow(40, 60);
  EXPECT_EQ(CurrentWindowLeft(), 40);
  EXPECT_EQ(CurrentWindowTop(), 60);

  EXPECT_TRUE(IsWindowVisible(handle_));  // shown unless asked otherwise
  int centred = NewWindow(-1, 0, 0, 200, 100, WindowCentreOnScreen | WindowHidden, "centred", nullptr);
  RECT frame{};
  GetWindowRect(WindowHandle(centred), &frame);
  EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  EXPECT_TRUE(GetWindowLongA(WindowHandle(centred), GWL_STYLE) & WS_CAPTION);

  DisposeWindow(centred);
  DisposeWindow(hidden);
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_EQ(WindowHandle(hidden), nullptr);
}

}  // namespace

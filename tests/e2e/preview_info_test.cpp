// The detailed preview and the information window in the running program: the preview from the
// item menu and from the two-button gesture, and the main window given back afterwards. (The D key
// is left to the in-process tests: Wine resets a key pressed by SendInput to up when the popup takes
// the focus, which a real keyboard does not.)
#include "core/commands.h"
#include "tests/e2e/e2e_support.h"

namespace {

class PreviewAndInformation : public E2eTest {
 protected:
  void StartWithItems() {
    WriteItems(ThreeItems());
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  }

  // The program's visible 300 x 300 popup once it has moved from where it is made (off the screen)
  // to its place, or nullptr.
  HWND Popup() {
    for (HWND window : ProcessWindows(app_.Id(), true)) {
      RECT client{};
      GetClientRect(window, &client);
      RECT frame{};
      GetWindowRect(window, &frame);
      if (window != Main() && (GetWindowLongPtrA(window, GWL_STYLE) & WS_POPUP) && client.right == 300 &&
          client.bottom == 300 && frame.left < GetSystemMetrics(SM_CXSCREEN)) {
        return window;
      }
    }
    return nullptr;
  }
  HWND WaitForPopup() {
    HWND popup = nullptr;
    WaitUntil([&] { return (popup = Popup()) != nullptr; });
    return popup;
  }

  static void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
  }

  // A program that has just started may still apply the pointer place of its first window events
  // after the cursor was moved: the cursor is put there again until it stays, as the program sees it.
  bool PlaceCursor(int x, int y) {
    return WaitUntil([&] {
      SetCursorPos(x, y);
      if (!WaitForPostedMessages(Main())) return false;
      POINT cursor{};
      return GetCursorPos(&cursor) && cursor.x == x && cursor.y == y;
    });
  }

  bool MainEnabledAgain() {
    return WaitUntil([&] { return IsWindowEnabled(Main()) != 0; });
  }
};

TEST_F(PreviewAndInformation, ShowDetailedStaysUntilTheNextClick) {
  StartWithItems();
  ASSERT_TRUE(PlaceCursor(700, 500));
  SelectRow(1);
  PostCommand(Main(), CmdShowDetailed);
  HWND popup = WaitForPopup();
  ASSERT_NE(popup, nullptr);
  RECT frame{};
  GetWindowRect(popup, &frame);
  EXPECT_EQ(frame.left, 700);
  EXPECT_EQ(frame.top, 500);
  EXPECT_FALSE(IsWindowEnabled(Main()));
  // Commands sent meanwhile are dropped: the program is still there with its rows afterwards.
  PostCommand(Main(), CmdDeleteItem);
  ASSERT_TRUE(WaitForPostedMessages(Main()));
  EXPECT_TRUE(IsWindow(popup));
  // The popup looks at the button's state now and then: it is held until the popup has seen it.
  Mouse(MOUSEEVENTF_LEFTDOWN);
  const bool closed = WaitUntil([&] { return !IsWindow(popup); });
  Mouse(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(closed);
  EXPECT_TRUE(MainEnabledAgain());
  EXPECT_EQ(ListRowCount(List()), 3);
  ExitProgram();
}

TEST_F(PreviewAndInformation, RightClickWithTheLeftButtonHeldShowsUntilItIsReleased) {
  StartWithItems();
  ASSERT_TRUE(BringToFront(Main()));
  RECT list{};
  GetWindowRect(List(), &list);
  // The middle of the first row, below the header.
  ASSERT_TRUE(PlaceCursor(list.left + 150, list.top + 50));
  Mouse(MOUSEEVENTF_LEFTDOWN);
  Sleep(200);
  Mouse(MOUSEEVENTF_RIGHTDOWN);
  Sleep(100);
  Mouse(MOUSEEVENTF_RIGHTUP);
  HWND popup = WaitForPopup();
  Sleep(300);
  const bool stayedWhileHeld = popup && IsWindow(popup);
  Mouse(MOUSEEVENTF_LEFTUP);
  ASSERT_NE(popup, nullptr) << "no preview while the left button was held";
  EXPECT_TRUE(stayedWhileHeld);
  EXPECT_EQ(ListSelectedRow(List()), 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(popup); }));
  EXPECT_TRUE(MainEnabledAgain());
  // No item menu followed the right click.
  ASSERT_TRUE(Settle(300));
  for (HWND window : ProcessWindows(app_.Id(), true)) EXPECT_NE(WindowClass(window), "#32768");
  ExitProgram();
}

TEST_F(PreviewAndInformation, InformationWindowKeepsTheMainWindowDisabledUntilClosed) {
  StartWithItems();
  PostCommand(Main(), CmdInformation);
  HWND window = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (window = FindProcessWindow(app_.Id(), "Information")) != nullptr; }));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != 0; }));
  EXPECT_TRUE(WaitUntil([&] { return FindChild(window, "RichEdit20A") != nullptr; }));
  EXPECT_FALSE(IsWindowEnabled(Main()));
  // The tray icon does nothing meanwhile.
  PostTrayMouse(Main(), kTrayNumber, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitForPostedMessages(Main()));
  EXPECT_TRUE(IsWindowVisible(Main()));
  PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }));
  EXPECT_TRUE(MainEnabledAgain());
  ExitProgram();
}

}  // namespace

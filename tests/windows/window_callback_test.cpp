// The main window's callback in process: size limits and the list height, the board hand-off,
// right clicks on the list, moves while hidden, and messages of other windows.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "app/loop_state.h"
#include "core/texts.h"
#include "settings/settings.h"
#include "store/collection.h"
#include "app/window_callback_win.h"
#include "ui/layer/tray_win.h"
#include "ui/layer/windows_win.h"
#include "tests/windows/test_main_window.h"
#include "ui/main_window_win.h"

namespace {

class WindowCallbackTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Settings = SettingsState{};
    Collection = CollectionState{};
    BuildMainWindowForTests();
    handle_ = WindowHandle(Ui.MainWindow);
  }
  static void TearDownTestSuite() {
    DisposeMainWindowForTests();
    handle_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(handle_, nullptr);
    Loop = LoopState{};
    SetWindowHook(WindowCallback);
  }
  void TearDown() override { SetWindowHook(nullptr); }

  static int ListHeight() {
    RECT list{};
    GetWindowRect(Ui.ItemListHandle, &list);
    return list.bottom - list.top;
  }
  static int ClientHeight() {
    RECT client{};
    GetClientRect(handle_, &client);
    return client.bottom;
  }
  static void RightClickRow(int row) {
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = Ui.ItemListHandle;
    click.hdr.idFrom = static_cast<UINT_PTR>(Ui.ItemList);
    click.hdr.code = NM_RCLICK;
    click.iItem = row;
    SendMessageA(handle_, WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
  }

  static HWND handle_;
};
HWND WindowCallbackTest::handle_ = nullptr;

TEST_F(WindowCallbackTest, MinMaxInfoFixesWidthAndBoundsHeight) {
  MINMAXINFO limits{};
  SendMessageA(handle_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, Ui.BuiltWindowWidth);
  EXPECT_EQ(limits.ptMaxTrackSize.x, Ui.BuiltWindowWidth);
  EXPECT_EQ(limits.ptMinTrackSize.y, Ui.MinWindowHeight);
  EXPECT_EQ(limits.ptMaxTrackSize.y, App.ScreenHeight);
  // At the built size the list is 227 pixels high.
  EXPECT_EQ(ClientHeight(), 250);
  EXPECT_EQ(ListHeight(), 227);
  EXPECT_EQ(Settings.ListHeight, 227);
}

TEST_F(WindowCallbackTest, ListFollowsTheWindowHeight) {
  SetWindowPos(handle_, nullptr, 0, 0, Ui.BuiltWindowWidth, Ui.MinWindowHeight + 111,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(ClientHeight(), 250 + 111);
  EXPECT_EQ(ListHeight(), 250 + 111 - 23);
  EXPECT_EQ(Settings.ListHeight, 250 + 111 - 23);
  // Smaller than built, wider than built: both refused by the limits.
  SetWindowPos(handle_, nullptr, 0, 0, Ui.BuiltWindowWidth + 90, Ui.MinWindowHeight - 80,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT frame{};
  GetWindowRect(handle_, &frame);
  EXPECT_EQ(frame.right - frame.left, Ui.BuiltWindowWidth);
  EXPECT_EQ(frame.bottom - frame.top, Ui.MinWindowHeight);
  EXPECT_EQ(Settings.ListHeight, 227);
}

TEST_F(WindowCallbackTest, MessagesOfOtherWindowsAreNotLookedAt) {
  MINMAXINFO limits{};
  limits.ptMaxTrackSize.x = 12345;
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(WindowCallback(other, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits)), HookContinue);
  EXPECT_EQ(limits.ptMaxTrackSize.x, 12345);
  DestroyWindow(other);
}

TEST_F(WindowCallbackTest, RightClickOnRowRequestsItemMenuAndBelowRowsNothing) {
  for (const char* name : {"a", "b", "c", "d"}) Collection.Items.Insert(Item{TextItem, 0, name});
  RightClickRow(3);
  // The item is remembered, not its row: a copy while the menu is open moves the rows.
  EXPECT_EQ(Loop.ClickedItem, "d");
  EXPECT_EQ(Loop.ItemMenuRequested, 1);
  EXPECT_EQ(Loop.PreviewRequested, 0);
  Loop = LoopState{};
  RightClickRow(-1);
  EXPECT_EQ(Loop.ClickedItem, "");
  EXPECT_EQ(Loop.ItemMenuRequested, 0);
  EXPECT_EQ(Loop.PreviewRequested, 0);
  Collection.Items.Clear();
}

TEST_F(WindowCallbackTest, HandOffKeepsOnlyBoardsAndAlwaysDeletesTheAtom) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string board = std::string(temp) + "callback hand-off.ksb";
  const std::string other = std::string(temp) + "callback other.ksb";
  HANDLE file = CreateFileA(board.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, "kepsilfilev1\r\n", 14, &written, nullptr);
  CloseHandle(file);
  ShowWindow(handle_, SW_HIDE);

  ATOM atom = GlobalAddAtomA(other.c_str());
  SendMessageA(handle_, MessageBoardHandOff, atom, 0);
  EXPECT_EQ(GlobalFindAtomA(other.c_str()), 0);
  EXPECT_TRUE(Loop.PendingBoardFile.empty());
  EXPECT_FALSE(IsWindowVisible(handle_));

  atom = GlobalAddAtomA(board.c_str());
  SendMessageA(handle_, MessageBoardHandOff, atom, 0);
  EXPECT_EQ(GlobalFindAtomA(board.c_str()), 0);
  EXPECT_EQ(Loop.PendingBoardFile, board);
  EXPECT_TRUE(IsWindowVisible(handle_));
  DeleteFileA(board.c_str());
}

TEST_F(WindowCallbackTest, MovesAreRememberedOnlyWhileVisible) {
  ShowWindow(handle_, SW_SHOWNORMAL);
  SetWindowPos(handle_, nullptr, 120, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(Settings.SavedWindowX, 120);
  EXPECT_EQ(Settings.SavedWindowY, 90);
  ShowWindow(handle_, SW_HIDE);
  SetWindowPos(handle_, nullptr, 300, 310, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(Settings.SavedWindowX, 120);
  EXPECT_EQ(Settings.SavedWindowY, 90);
}

TEST_F(WindowCallbackTest, TitleBarDoubleClickHides) {
  ShowWindow(handle_, SW_SHOWNORMAL);
  SendMessageA(handle_, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
  EXPECT_FALSE(IsWindowVisible(handle_));
}

// A viewer later in the chain that has stopped answering must not freeze the program: the change
// is passed on with a bound, and the program goes on.
TEST_F(WindowCallbackTest, AHungViewerLaterInTheChainDoesNotHoldTheProgram) {
  HANDLE made = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> answering{false};
  HWND hung = nullptr;
  std::thread viewer([&] {
    hung = CreateWindowExA(0, "STATIC", "hung viewer", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetEvent(made);
    // Takes no message until the test lets it go, or for half a minute.
    WaitForSingleObject(release, 30000);
    answering = true;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    DestroyWindow(hung);
  });
  WaitForSingleObject(made, INFINITE);
  const HWND next = Ui.NextClipboardViewer;
  const int32_t watch = Settings.WatchClipboard;
  Settings.WatchClipboard = 0;
  Ui.NextClipboardViewer = hung;
  SendMessageA(handle_, WM_DRAWCLIPBOARD, 0, 0);
  SendMessageA(handle_, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(HWND_BROADCAST), 0);
  EXPECT_FALSE(answering) << "the program waited for the hung viewer";
  SetEvent(release);
  viewer.join();
  Ui.NextClipboardViewer = next;
  Settings.WatchClipboard = watch;
  CloseHandle(made);
  CloseHandle(release);
}

}  // namespace

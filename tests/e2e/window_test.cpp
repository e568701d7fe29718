// Hiding and showing the main window, the tray icon, the Exit commands, resizing limits.
#include "core/commands.h"
#include "tests/e2e/e2e_support.h"

namespace {

using MainWindowBehaviour = E2eTest;

bool BecomesVisible(HWND window, bool visible) {
  return WaitUntil([&] { return (IsWindowVisible(window) != 0) == visible; });
}

TEST_F(MainWindowBehaviour, CloseBoxOnlyHides) {
  StartLaterRun();
  PostMessageA(Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(BecomesVisible(Main(), false));
  EXPECT_TRUE(Settle(200));
  EXPECT_TRUE(app_.IsRunning());
  EXPECT_TRUE(IsWindow(Main()));
  ExitProgram();
}

TEST_F(MainWindowBehaviour, TitleBarDoubleClickHides) {
  StartLaterRun();
  RECT frame{};
  GetWindowRect(Main(), &frame);
  PostMessageA(Main(), WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(frame.left + 40, frame.top + 8));
  EXPECT_TRUE(BecomesVisible(Main(), false));
  EXPECT_TRUE(app_.IsRunning());
  ExitProgram();
}

TEST_F(MainWindowBehaviour, TrayDoubleClickToggles) {
  StartLaterRun();
  PostTrayMouse(Main(), kTrayNumber, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(BecomesVisible(Main(), false));
  PostTrayMouse(Main(), kTrayNumber, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(BecomesVisible(Main(), true));
  // A single click and mouse moves change nothing; neither does another icon's number.
  PostTrayMouse(Main(), kTrayNumber, WM_LBUTTONUP);
  PostTrayMouse(Main(), kTrayNumber, WM_MOUSEMOVE);
  PostTrayMouse(Main(), kTrayNumber + 7, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitForPostedMessages(Main()));
  EXPECT_TRUE(IsWindowVisible(Main()));
  ExitProgram();
}

TEST_F(MainWindowBehaviour, TrayMenuCommandsShowAndHide) {
  StartLaterRun();
  PostCommand(Main(), CmdTrayHide);
  EXPECT_TRUE(BecomesVisible(Main(), false));
  PostCommand(Main(), CmdTrayShow);
  EXPECT_TRUE(BecomesVisible(Main(), true));
  ExitProgram();
}

TEST_F(MainWindowBehaviour, ExitFromMainMenuEndsAndSaves) {
  StartLaterRun();
  PostCommand(Main(), CmdExit);
  DWORD code = 1;
  ASSERT_TRUE(app_.WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(FileExists(app_.WorkingFile("prefs.dat")));
}

// Opens a tray menu with a right click and picks its Exit entry with the keyboard.
void ExitThroughTrayMenu(KepsilProcess& app) {
  PostTrayMouse(app.MainWindow(), kTrayNumber, WM_RBUTTONUP);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND window : ProcessWindows(app.Id(), true)) {
      if (WindowClass(window) == "#32768") menu = window;
    }
    return menu != nullptr;
  })) << "no tray menu opened";
  // Entries: show or hide, separator, Exit.
  PostKey(app.MainWindow(), VK_DOWN);
  PostKey(app.MainWindow(), VK_DOWN);
  PostKey(app.MainWindow(), VK_RETURN);
  ASSERT_TRUE(app.WaitForExit(10000)) << "Exit in the tray menu did not end the program";
}

TEST_F(MainWindowBehaviour, ExitFromTrayMenuWhileShown) {
  StartLaterRun();
  ExitThroughTrayMenu(app_);
  std::vector<unsigned char> bytes;
  int32_t values[14];
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), bytes));
  ASSERT_TRUE(PrefsFile::Read(bytes, values));
  EXPECT_EQ(values[PrefsFile::StartVisible], 1);
}

TEST_F(MainWindowBehaviour, ExitFromTrayMenuWhileHidden) {
  StartLaterRun();
  PostTrayMouse(Main(), kTrayNumber, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(BecomesVisible(Main(), false));
  ExitThroughTrayMenu(app_);
  std::vector<unsigned char> bytes;
  int32_t values[14];
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), bytes));
  ASSERT_TRUE(PrefsFile::Read(bytes, values));
  EXPECT_EQ(values[PrefsFile::StartVisible], 0);
}

TEST_F(MainWindowBehaviour, TrayExitCommandsEndTheProgram) {
  for (int command : {21, 31}) {
    KepsilProcess app;
    ASSERT_TRUE(app.Prepare(ProgramPath()));
    CreateDirectoryA(app.WorkingDirectory().c_str(), nullptr);
    ASSERT_TRUE(app.Start());
    ASSERT_NE(app.WaitForMainWindow(), nullptr);
    PostCommand(app.MainWindow(), command);
    EXPECT_TRUE(app.WaitForExit(10000)) << command;
  }
}

TEST_F(MainWindowBehaviour, ResizingKeepsWidthAndBoundsHeight) {
  StartLaterRun();
  RECT built{};
  GetWindowRect(Main(), &built);
  const int width = built.right - built.left;
  const int height = built.bottom - built.top;
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);

  auto resize = [&](int w, int h) {
    SetWindowPos(Main(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT frame{};
    GetWindowRect(Main(), &frame);
    return frame;
  };
  auto listHeight = [&] {
    RECT list{};
    GetWindowRect(List(), &list);
    return list.bottom - list.top;
  };
  auto clientHeight = [&] {
    RECT client{};
    GetClientRect(Main(), &client);
    return client.bottom;
  };

  RECT frame = resize(width + 200, height + 150);
  EXPECT_EQ(frame.right - frame.left, width);
  EXPECT_EQ(frame.bottom - frame.top, height + 150);
  EXPECT_TRUE(WaitUntil([&] { return listHeight() == clientHeight() - 23; }))
      << listHeight() << " vs client " << clientHeight();

  frame = resize(width, height - 100);
  EXPECT_EQ(frame.bottom - frame.top, height);
  frame = resize(width, screenHeight + 500);
  EXPECT_EQ(frame.bottom - frame.top, screenHeight);
  EXPECT_TRUE(WaitUntil([&] { return listHeight() == clientHeight() - 23; }));

  resize(width, height + 60);
  ExitProgram();
  std::vector<unsigned char> bytes;
  int32_t values[14];
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), bytes));
  ASSERT_TRUE(PrefsFile::Read(bytes, values));
  EXPECT_EQ(values[PrefsFile::WindowHeight], height + 60);
  EXPECT_EQ(values[PrefsFile::ListHeight], 250 + 60 - 23);
}

TEST_F(MainWindowBehaviour, MovedWindowPositionIsSaved) {
  StartLaterRun();
  SetWindowPos(Main(), nullptr, 333, 144, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ExitProgram();
  std::vector<unsigned char> bytes;
  int32_t values[14];
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), bytes));
  ASSERT_TRUE(PrefsFile::Read(bytes, values));
  EXPECT_EQ(values[PrefsFile::WindowX], 333);
  EXPECT_EQ(values[PrefsFile::WindowY], 144);
}

}  // namespace

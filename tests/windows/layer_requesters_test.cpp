// The text requester (keys, layout, modality) and the open-file requester's multiple selection.
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/windows/layer_test_util.h"
#include "ui/layer/requesters.h"
#include "ui/layer/windows_win.h"

namespace {

constexpr char kAskTextClass[] = "KepSilAskText";

HWND ChildOfClass(HWND parent, const char* className) { return FindWindowExA(parent, nullptr, className, nullptr); }

TEST(LayerRequesters, AskTextEscapeGivesEmptyText) {
  WindowWatcher watcher(kAskTextClass, [](HWND window) {
    PostMessageA(ChildOfClass(window, "EDIT"), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_EQ(AskText("Set item limit", "Please input max count of items to hold", "20"), "");
}

TEST(LayerRequesters, AskTextReturnGivesTheEditedText) {
  struct Seen {
    RECT frame{};
    RECT edit{};
    DWORD selStart = 0, selEnd = 0;
    bool ownerDisabled = false;
  };
  static Seen seen;
  InitWindowLayer();
  int owner = NewWindow(-1, 50, 50, 200, 100, WS_OVERLAPPEDWINDOW, "owner", nullptr);
  SetForegroundWindow(WindowHandle(owner));
  static HWND ownerHandle;
  ownerHandle = WindowHandle(owner);
  WindowWatcher watcher(kAskTextClass, [](HWND window) {
    HWND edit = ChildOfClass(window, "EDIT");
    GetWindowRect(window, &seen.frame);
    GetWindowRect(edit, &seen.edit);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&seen.edit), 2);
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&seen.selStart), reinterpret_cast<LPARAM>(&seen.selEnd));
    seen.ownerDisabled = !IsWindowEnabled(ownerHandle);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("35"));
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  });
  EXPECT_EQ(AskText("Set item limit", "prompt", "20"), "35");
  EXPECT_EQ(seen.frame.right - seen.frame.left, 300);
  EXPECT_EQ(seen.frame.bottom - seen.frame.top, 130);
  EXPECT_NEAR((seen.frame.left + seen.frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_EQ(seen.edit.left, 10);
  EXPECT_EQ(seen.edit.top, 32);
  EXPECT_EQ(seen.selStart, 2u);  // caret after the preset answer
  EXPECT_EQ(seen.selEnd, 2u);
  EXPECT_TRUE(seen.ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(ownerHandle));
  DisposeWindow(owner);
}

TEST(LayerRequesters, AskTextOkButtonAndCloseBox) {
  {
    WindowWatcher watcher(kAskTextClass, [](HWND window) {
      HWND ok = FindWindowExA(window, nullptr, "BUTTON", "Ok");
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ok), BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    });
    EXPECT_EQ(AskText("t", "p", "kept"), "kept");
  }
  {
    WindowWatcher watcher(kAskTextClass, [](HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); });
    EXPECT_EQ(AskText("t", "p", "kept"), "");
  }
}

TEST(LayerRequesters, OpenFileMultipleSelection) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "kepsil_open_test";
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* name : {"a.txt", "b.txt"}) {
    FILE* f = std::fopen((folder + "\\" + name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  FileAnswer answer("\"a.txt\" \"b.txt\"");
  std::string first = AskOpenFile("Load images or texts", folder + "\\", "Texts|*.txt|All Files (*.*)|*.*", 1, true);
  std::string second = NextChosenFile();
  std::string after = NextChosenFile();
  EXPECT_EQ(ChosenPatternIndex(), 1);
  // The dialog may list the names in either order.
  EXPECT_TRUE((first == folder + "\\a.txt" && second == folder + "\\b.txt") ||
              (first == folder + "\\b.txt" && second == folder + "\\a.txt"))
      << first << " / " << second;
  EXPECT_EQ(after, "");
  DeleteFileA((folder + "\\a.txt").c_str());
  DeleteFileA((folder + "\\b.txt").c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST(LayerRequesters, SaveFileGivesPathAndPattern) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "kepsil_save_test";
  CreateDirectoryA(folder.c_str(), nullptr);
  FileAnswer answer("picture.png");
  std::string path = AskSaveFile("Save image", folder + "\\proposal.bmp", "Bitmap|*.bmp|Jpeg|*.jpg|Png|*.png", 2);
  EXPECT_EQ(path, folder + "\\picture.png");
  EXPECT_EQ(ChosenPatternIndex(), 2);
  EXPECT_EQ(NextChosenFile(), "");
  RemoveDirectoryA(folder.c_str());
}

TEST(LayerRequesters, FolderStartsAtTheInitialFolder) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "kepsil_folder_test";
  CreateDirectoryA(folder.c_str(), nullptr);
  {
    WindowWatcher watcher("#32770", [](HWND dialog) {
      // OK at once: the initial folder is selected before the user can act.
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    });
    EXPECT_EQ(AskFolder("Select target directory for image items", folder + "\\"), folder + "\\");
  }
  {
    WindowWatcher watcher("#32770", [](HWND dialog) {
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    });
    EXPECT_EQ(AskFolder("Select", folder), "");
  }
  RemoveDirectoryA(folder.c_str());
}

TEST(LayerRequesters, MessageGivesTheButton) {
  static std::string seenTitle;
  WindowWatcher watcher("#32770", [](HWND box) {
    char title[64] = {};
    GetWindowTextA(box, title, sizeof title);
    seenTitle = title;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDYES)));
  });
  EXPECT_EQ(ShowMessage("Question", "Associate?", MB_YESNO), IDYES);
  EXPECT_EQ(seenTitle, "Question");
}

}  // namespace

// Files dropped on the main window: pictures and texts become items, a board waits for the loop.
#include <shlobj.h>

#include <atomic>

#include "exchange/load_files_win.h"
#include "tests/windows/layer_test_util.h"
#include "tests/windows/load_save_fixture.h"

namespace {

// A drop handle as the shell makes it: DROPFILES followed by the names, each ended by a zero, and
// one more zero at the end.
HDROP MakeDrop(const std::vector<std::string>& paths) {
  std::string names;
  for (const std::string& path : paths) names += path + '\0';
  names += '\0';
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  std::copy(names.begin(), names.end(), reinterpret_cast<char*>(drop + 1));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

class DropFiles : public LoadSaveWindow {
 protected:
  // Delivers the drop as the shell does, through the main window's message.
  void Drop(const std::vector<std::string>& paths) {
    SendMessageA(Main(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
  }
  std::string ItemText(int row) { return Read(WorkingPath(Collection.Items.At(row).name + ".txt")); }
};

TEST_F(DropFiles, PicturesAndTextsBecomeItemsAndABoardIsQueued) {
  const std::string picture = PutPicture("dropped.PNG", ImageEncoding::Png);
  const std::string text = Put("dropped note", std::string("a note\0after the zero", 22));
  const std::string board = Put("dropped.ksb", std::string("kepsilfilev1") + '\0');
  const std::string notBoard = Put("other.ksb", "plain text");
  CreateDirectoryA((Folder() + "a folder.txt").c_str(), nullptr);

  Drop({picture, text, board, notBoard, Folder() + "a folder.txt"});
  ASSERT_EQ(Collection.Items.Count(), 2);
  ASSERT_EQ(RowCount(Ui.ItemList), 2);
  // Newest first: the text was dropped after the picture.
  EXPECT_EQ(Collection.Items.At(0).kind, TextItem);
  EXPECT_EQ(ItemText(0), "a note");
  EXPECT_EQ(Collection.Items.At(1).kind, ImageItem);
  EXPECT_EQ(Loop.PendingBoardFile, board);
  EXPECT_EQ(GetForegroundWindow(), Main());
}

TEST_F(DropFiles, OfSeveralBoardsTheLastOneWaits) {
  const std::string first = Put("first.ksb", std::string("kepsilfilev1") + '\0');
  const std::string second = Put("second.KSB", "kepsilfilev1\r\n");
  const std::string upper = Put("third.ksb", std::string("KEPSILFILEV1") + '\0');
  Drop({first, second, upper});
  EXPECT_EQ(Loop.PendingBoardFile, second);
  EXPECT_EQ(Collection.Items.Count(), 0);
}

TEST_F(DropFiles, TooLargeTextShowsTheMessageBelowTheTopmostWindow) {
  const std::string big = Put("big.log", std::string(64000, 'x'));
  static std::atomic<bool> topmostDuringMessage{true};
  static std::string message;
  static HWND main;
  main = Main();
  ASSERT_TRUE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
  {
    WindowWatcher watcher("#32770", [](HWND box) {
      topmostDuringMessage = (GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
      char text[256] = {};
      GetWindowTextA(box, text, sizeof text);
      message = text;
      for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        GetWindowTextA(child, text, sizeof text);
        if (std::string(text).find("too big") != std::string::npos) message += "|" + std::string(text);
      }
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Drop({big});
  }
  EXPECT_FALSE(topmostDuringMessage);
  EXPECT_EQ(message, "Info|big.log is too big!\r\nMaximum text size = 64k");
  EXPECT_TRUE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(Collection.Items.Count(), 0);

  // One byte less fits.
  Drop({Put("big.log", std::string(63999, 'y'))});
  ASSERT_EQ(Collection.Items.Count(), 1);
  EXPECT_EQ(ItemText(0).size(), 63999u);
}

TEST_F(DropFiles, DroppedFileNameReadsEveryPath) {
  const std::string longName = Folder() + std::string(200, 'n') + ".txt";
  HDROP drop = MakeDrop({"C:\\a.txt", longName});
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  EXPECT_EQ(DroppedFileName(drop, 0), "C:\\a.txt");
  EXPECT_EQ(DroppedFileName(drop, 1), longName);
  EXPECT_EQ(DroppedFileName(drop, 5), "");
  DragFinish(drop);
}

}  // namespace

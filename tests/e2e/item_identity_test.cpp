// Commands act on the item the user pointed at, whatever comes in while a menu or a requester is
// open, and a paste that cannot reach the clipboard changes nothing.
#include <windows.h>

#include "core/code_page_win.h"
#include "core/commands.h"
#include "tests/e2e/load_save_support.h"
#include "tools/driver/load_save_requesters.h"
#include "tools/driver/reliability_driver.h"

namespace {

class ItemIdentity : public ExchangeTest {
 protected:
  // Three texts, newest first: row 1 checked, the defaults otherwise (delete a checked item after
  // its paste).
  void StartWithThreeTexts() {
    items_ = {{1, 0, "08122026-101502-100", Bytes("newest"), ThumbnailPng(10, 10, 10)},
              {1, 1, "08122026-101501-100", Bytes("middle"), ThumbnailPng(20, 20, 20)},
              {1, 0, "08122026-101500-100", Bytes("oldest"), ThumbnailPng(30, 30, 30)}};
    WriteCollection(items_);
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  }
  bool HasFiles(const StoredFiles& item) { return FileExists(app_.WorkingFile(item.name + ".txt")); }
  // A copy from another program, which becomes row 0 and moves every row down.
  void CopyArrives(int rowsAfter) {
    ASSERT_TRUE(PutClipboardText("copied meanwhile"));
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == rowsAfter; })) << "the copy made no item";
  }
  HWND OpenMenu() {
    HWND menu = nullptr;
    WaitUntil([&] {
      for (HWND window : ProcessWindows(app_.Id(), true)) {
        if (WindowClass(window) == "#32768") menu = window;
      }
      return menu != nullptr;
    });
    return menu;
  }
  // The status bar's text, asked of the bar itself (the window text is not the field's).
  std::string StatusText() {
    HWND status = FindChild(Main(), "msctls_statusbar32");
    wchar_t text[512] = {};
    DWORD_PTR length = 0;
    if (!status || !SendMessageTimeoutW(status, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                                        &length)) {
      return {};
    }
    return Utf8(std::wstring_view(text, length));
  }
  static void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
  }

  std::vector<StoredFiles> items_;
};

TEST_F(ItemIdentity, TheItemMenuDeletesTheItemClickedThoughACopyCameWhileItWasOpen) {
  StartWithThreeTexts();
  ASSERT_TRUE(BringToFront(Main()));
  RECT list{};
  GetWindowRect(List(), &list);
  // A real right click in the middle of the first row, below the header.
  ASSERT_TRUE(WaitUntil([&] {
    SetCursorPos(list.left + 150, list.top + 50);
    POINT cursor{};
    return WaitForPostedMessages(Main()) && GetCursorPos(&cursor) && cursor.y == list.top + 50;
  }));
  Mouse(MOUSEEVENTF_RIGHTDOWN);
  Mouse(MOUSEEVENTF_RIGHTUP);
  ASSERT_NE(OpenMenu(), nullptr) << "no item menu";
  CopyArrives(4);
  // The menu closes; "Delete item" is chosen for the item it was opened on.
  PostKey(Main(), VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return OpenMenu() == nullptr; }, 3000));
  PostCommand(Main(), CmdDeleteItem);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  EXPECT_FALSE(HasFiles(items_[0])) << "the item clicked goes";
  EXPECT_TRUE(HasFiles(items_[1]));
  EXPECT_EQ(ClipboardText(), "copied meanwhile");
  ExitProgram();
}

TEST_F(ItemIdentity, SaveItemAsSavesTheItemChosenThoughACopyCameWhileTheRequesterWasOpen) {
  StartWithThreeTexts();
  const std::string folder = OutputFolder();
  TakeRow(1);
  HWND dialog = OpenRequester(CmdSaveItemAs);
  ASSERT_NE(dialog, nullptr);
  CopyArrives(4);
  ASSERT_TRUE(AnswerFileRequester(dialog, folder + "chosen.txt"));
  ASSERT_TRUE(WaitUntilDone());
  std::vector<unsigned char> saved;
  ASSERT_TRUE(WaitUntil([&] { return ReadFileContents(folder + "chosen.txt", saved); }));
  EXPECT_EQ(saved, items_[1].content);
  ExitProgram();
}

TEST_F(ItemIdentity, APasteWhileAnotherProgramHoldsTheClipboardChangesNothingAndSaysSo) {
  StartWithThreeTexts();
  ASSERT_TRUE(PutClipboardText("the user's own copy"));
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 4; }));
  {
    ClipboardHold held;
    ASSERT_TRUE(held.Held());
    // Row 2 is the checked "middle": pasted, it would be deleted.
    PressKeyOnRow(2, VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return StatusText().find("clipboard") != std::string::npos; }, 8000)) << StatusText();
  }
  ASSERT_TRUE(Settle(300));
  EXPECT_EQ(ListRowCount(List()), 4);
  EXPECT_TRUE(HasFiles(items_[1])) << "an item that never reached the clipboard is not deleted";
  EXPECT_TRUE(IsWindowVisible(Main()));
  EXPECT_EQ(ClipboardText(), "the user's own copy");
  ExitProgram();
}

}  // namespace

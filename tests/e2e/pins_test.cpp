// Pinned items stay whatever comes after them, and Ctrl+1 ... Ctrl+9 paste the rows by number.
#include <windows.h>

#include "core/commands.h"
#include "tests/e2e/load_save_support.h"
#include "tools/driver/load_save_requesters.h"

namespace {

class Pins : public ExchangeTest {
 protected:
  // Three unchecked texts, newest first, with a limit of three items.
  void StartWithThreeTexts() {
    PrefsFile prefs;
    prefs.values[PrefsFile::ItemLimit] = 3;
    prefs.values[PrefsFile::NewItemsChecked] = 0;
    WritePrefs(prefs);
    items_ = {{1, 0, "09122026-101502-100", Bytes("newest"), ThumbnailPng(10, 10, 10)},
              {1, 0, "09122026-101501-100", Bytes("middle"), ThumbnailPng(20, 20, 20)},
              {1, 0, "09122026-101500-100", Bytes("oldest"), ThumbnailPng(30, 30, 30)}};
    WriteCollection(items_);
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  }
  bool Kept(const std::string& name) { return FileExists(app_.WorkingFile(name + ".txt")); }
  bool Pinned(const std::string& name) { return FileExists(app_.WorkingFile(name + ".pin")); }
  // A copy that became an item: some text file holds it.
  bool CopyBecomesItem(const std::string& text) {
    if (!PutClipboardText(text)) return false;
    return WaitUntil([&] {
      std::vector<unsigned char> bytes;
      for (const std::string& file : FilesIn(app_.WorkingFile(""))) {
        if (file.size() > 4 && file.compare(file.size() - 4, 4, ".txt") == 0 &&
            ReadFileContents(app_.WorkingFile(file), bytes) && bytes == Bytes(text)) {
          return true;
        }
      }
      return false;
    });
  }
  static void Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
  }

  std::vector<StoredFiles> items_;
};

TEST_F(Pins, APinnedItemOutlivesTheLimitCheckedDeletionARestartAndABoard) {
  StartWithThreeTexts();
  const std::string oldest = items_[2].name;
  TakeRow(2);
  PostCommand(Main(), CmdPinItem);
  ASSERT_TRUE(WaitUntil([&] { return Pinned(oldest); }));

  for (int copy = 1; copy <= 5; ++copy) ASSERT_TRUE(CopyBecomesItem("copy " + std::to_string(copy))) << copy;
  ASSERT_TRUE(Settle(200));
  EXPECT_EQ(ListRowCount(List()), 4) << "three unpinned items and the pinned one";
  EXPECT_TRUE(Kept(oldest));
  EXPECT_FALSE(Kept(items_[0].name));

  PostCommand(Main(), CmdCheckAllItems);
  PostCommand(Main(), CmdDeleteChecked);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 1; }));
  EXPECT_TRUE(Kept(oldest) && Pinned(oldest));

  const std::string board = OutputFolder() + "pinned.ksb";
  HWND dialog = OpenRequester(CmdExportBoard);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(AnswerFileRequester(dialog, board));
  ASSERT_TRUE(WaitUntilDone());

  // After a restart the pin still holds against "Delete all checked items".
  ExitProgram();
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 1; }));
  PostCommand(Main(), CmdCheckAllItems);
  PostCommand(Main(), CmdDeleteChecked);
  ASSERT_TRUE(Settle(300));
  EXPECT_EQ(ListRowCount(List()), 1);

  // "Delete item" removes even a pinned item; the board brings it back pinned.
  TakeRow(0);
  PostCommand(Main(), CmdDeleteItem);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 0; }));
  EXPECT_FALSE(Kept(oldest) || Pinned(oldest));
  dialog = OpenRequester(CmdImportBoard);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(AnswerFileRequester(dialog, board));
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 1; }));
  ASSERT_TRUE(WaitUntilDone());
  bool pinnedAfterImport = false;
  for (const std::string& file : FilesIn(app_.WorkingFile(""))) {
    if (file.size() > 4 && file.compare(file.size() - 4, 4, ".pin") == 0) pinnedAfterImport = true;
  }
  EXPECT_TRUE(pinnedAfterImport);
  ExitProgram();
}

TEST_F(Pins, CtrlAndADigitPastesThatRow) {
  StartWithThreeTexts();
  ASSERT_TRUE(BringToFront(Main()));
  SetFocus(List());
  Key(VK_CONTROL, false);
  Key('2', false);
  Key('2', true);
  Key(VK_CONTROL, true);
  EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == "middle"; })) << ClipboardText();
  ExitProgram();
}

}  // namespace

// Pasting an item into the window behind the program, and what happens to the list afterwards.
#include "tests/e2e/capture_support.h"

namespace {

class Paste : public CaptureRun {
 protected:
  // Five items made as the program stores them, with the given row checked.
  void StartWithFiveItems(const PrefsFile& prefs, int checkedRow) {
    std::vector<ItemRecord> records;
    for (int row = 0; row < 5; ++row) {
      records.push_back({1, row == checkedRow ? 1 : 0, "07122026-1015" + std::to_string(59 - row) + "-100"});
    }
    WritePrefs(prefs);
    WriteItems(records);
    StartProgram();
    ASSERT_TRUE(WaitForRows(5));
  }
  bool Visible(bool visible, DWORD timeoutMs = 5000) {
    return WaitUntil([&] { return (IsWindowVisible(Main()) != 0) == visible; }, timeoutMs);
  }
};

TEST_F(Paste, ReturnPastesTheTextIntoNotepad) {
  StartWithDefaults();
  HelperProgram notepad;
  ASSERT_TRUE(notepad.Start("notepad.exe"));
  HWND editor = notepad.WaitForWindow("Notepad");
  ASSERT_NE(editor, nullptr);
  HWND edit = FindChild(editor, "Edit");
  ASSERT_NE(edit, nullptr);
  ASSERT_TRUE(PutClipboardText("pasted by KepSil"));
  ASSERT_TRUE(WaitForRows(1));
  // Notepad is the window the user worked in; then the program comes to the front.
  ASSERT_TRUE(BringToFront(editor));
  PressKeyOnRow(0, VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(edit) == "pasted by KepSil"; })) << WindowText(edit);
  // The row was checked and delete-after-paste is on: the item went; the window came back.
  EXPECT_TRUE(WaitForRows(0));
  EXPECT_TRUE(Visible(true));
  EXPECT_TRUE(ItemFiles().empty());
  notepad.End();
}

TEST_F(Paste, CheckedRowTwoOfFiveIsDeletedAndTheRowInItsPlaceSelected) {
  StartWithFiveItems(PrefsFile{}, 2);
  PressKeyOnRow(2, VK_RETURN);
  ASSERT_TRUE(WaitForRows(4));
  EXPECT_TRUE(WaitUntil([&] { return ListSelectedRow(List()) == 2; })) << ListSelectedRow(List());
  EXPECT_TRUE(Visible(true));
  EXPECT_FALSE(FileExists(app_.WorkingFile("07122026-101557-100.txt")));
  EXPECT_EQ(ClipboardText(), "text of 07122026-101557-100");
}

TEST_F(Paste, CheckedLastRowIsDeletedAndTheRowAboveSelected) {
  StartWithFiveItems(PrefsFile{}, 4);
  PressKeyOnRow(4, VK_RETURN);
  ASSERT_TRUE(WaitForRows(4));
  EXPECT_TRUE(WaitUntil([&] { return ListSelectedRow(List()) == 3; })) << ListSelectedRow(List());
}

TEST_F(Paste, UncheckedRowIsKept) {
  StartWithFiveItems(PrefsFile{}, 2);
  PressKeyOnRow(3, VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return ClipboardText() == "text of 07122026-101556-100"; }));
  EXPECT_TRUE(Visible(true));
  EXPECT_TRUE(RowsStay(5));
}

TEST_F(Paste, WithoutShowAfterPasteTheWindowStaysHidden) {
  PrefsFile prefs;
  prefs.values[PrefsFile::ShowAfterPaste] = 0;
  StartWithFiveItems(prefs, 1);
  PressKeyOnRow(1, VK_RETURN);
  ASSERT_TRUE(WaitForRows(4));
  EXPECT_TRUE(Visible(false));
  ASSERT_TRUE(Settle(500));
  EXPECT_FALSE(IsWindowVisible(Main()));
}

}  // namespace

// Stored items across runs, deleting, checking and the item limit.
#include "tests/e2e/e2e_support.h"

#include <utility>

#include "core/commands.h"

namespace {

class StoredItemsRun : public E2eTest {
 protected:
  void StartWithThreeItems() {
    WriteItems(ThreeItems());
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; })) << ListRowCount(List());
  }
  std::vector<int> Images() {
    std::vector<int> images;
    for (int row = 0; row < ListRowCount(List()); ++row) images.push_back(ListRowImage(List(), row));
    return images;
  }
};

TEST_F(StoredItemsRun, ThreeItemsComeBackInOrderAndAreWrittenBackUnchanged) {
  StartWithThreeItems();
  EXPECT_FALSE(ListRowChecked(List(), 0));
  EXPECT_TRUE(ListRowChecked(List(), 1));
  EXPECT_FALSE(ListRowChecked(List(), 2));
  // Each row shows a thumbnail slot of its own.
  const std::vector<int> images = Images();
  ASSERT_EQ(images.size(), 3u);
  EXPECT_NE(images[0], images[1]);
  EXPECT_NE(images[1], images[2]);
  EXPECT_NE(images[0], images[2]);
  for (int image : images) EXPECT_GE(image, 0);

  ExitProgram();
  std::vector<unsigned char> written;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("items.dat"), written));
  EXPECT_EQ(written, ItemsDatBytes(ThreeItems()));
  for (const ItemRecord& item : ThreeItems()) EXPECT_TRUE(FileExists(app_.WorkingFile(item.name + ".clt")));
}

TEST_F(StoredItemsRun, KeepItemsOffLeavesOnlyPrefs) {
  PrefsFile prefs;
  prefs.values[PrefsFile::KeepItems] = 0;
  WritePrefs(prefs);
  WriteItems(ThreeItems());
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("stray note.txt"), {'h', 'i'}));
  ASSERT_TRUE(CreateDirectoryA(app_.WorkingFile("sub").c_str(), nullptr));
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  ExitProgram();
  EXPECT_EQ(FilesIn(app_.WorkingDirectory()), std::vector<std::string>{"prefs.dat"});
  EXPECT_TRUE(DirectoryExists(app_.WorkingFile("sub")));
  std::vector<unsigned char> bytes;
  int32_t values[14];
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), bytes));
  ASSERT_TRUE(PrefsFile::Read(bytes, values));
  EXPECT_EQ(values[PrefsFile::KeepItems], 0);
}

TEST_F(StoredItemsRun, UnsafeNamesAndCutFileAreSkippedAndNothingOutsideIsTouched) {
  // A file beside the working directory that an unsafe record names.
  const std::string outside = app_.Folder() + "victim.clt";
  ASSERT_TRUE(WriteFileContents(outside, {'x'}));
  std::vector<ItemRecord> records = ThreeItems();
  WriteItems(records);
  std::vector<unsigned char> bytes = ItemsDatBytes({records[0], {1, 1, "..\\victim"}, records[1], records[2]});
  bytes.resize(bytes.size() - 25);  // the last record ends inside its kind
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("items.dat"), bytes));
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) >= 2; }));
  ASSERT_TRUE(Settle(300));
  EXPECT_EQ(ListRowCount(List()), 2);
  // Deleting every row deletes only files inside the working directory.
  PostCommand(Main(), CmdCheckAllItems);
  ASSERT_TRUE(WaitUntil([&] { return ListRowChecked(List(), 0) && ListRowChecked(List(), 1); }));
  PostCommand(Main(), CmdDeleteChecked);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 0; }));
  EXPECT_TRUE(FileExists(outside));
  ExitProgram();
  EXPECT_TRUE(FileExists(outside));
}

// Deleted row and the row selected afterwards, of three rows.
class DeleteKey : public StoredItemsRun, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(DeleteKey, SelectsTheNeighbourAndDeletesTheFiles) {
  const int row = GetParam().first;
  const int selectedAfter = GetParam().second;
  StartWithThreeItems();
  const std::vector<ItemRecord> items = ThreeItems();
  const ItemRecord& gone = items[static_cast<size_t>(row)];
  const int imageBelow = row + 1 < 3 ? ListRowImage(List(), row + 1) : -2;
  PressKeyOnRow(row, VK_DELETE);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 2; }));
  EXPECT_TRUE(WaitUntil([&] { return ListSelectedRow(List()) == selectedAfter; }))
      << "selected " << ListSelectedRow(List());
  if (imageBelow != -2) {
    EXPECT_EQ(ListRowImage(List(), row), imageBelow);
  }
  EXPECT_FALSE(FileExists(app_.WorkingFile(gone.name + ".clt")));
  EXPECT_FALSE(FileExists(app_.WorkingFile(gone.name + (gone.kind == 0 ? ".bmp" : ".txt"))));
  ExitProgram();
  std::vector<ItemRecord> rest = items;
  rest.erase(rest.begin() + row);
  std::vector<unsigned char> written;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("items.dat"), written));
  EXPECT_EQ(written, ItemsDatBytes(rest));
}

INSTANTIATE_TEST_SUITE_P(ThreeRows, DeleteKey,
                         ::testing::Values(std::make_pair(2, 1), std::make_pair(1, 0), std::make_pair(0, 0)));

TEST_F(StoredItemsRun, DeleteFirstOfTwoLeavesNothingSelected) {
  WriteItems({ThreeItems()[0], ThreeItems()[1]});
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 2; }));
  PressKeyOnRow(0, VK_DELETE);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 1; }));
  ASSERT_TRUE(WaitForPostedMessages(Main()));
  EXPECT_EQ(ListSelectedRow(List()), -1);
  ExitProgram();
}

TEST_F(StoredItemsRun, BackspaceDeletesAndLastRowLeavesNothingSelected) {
  WriteItems({ThreeItems()[0]});
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 1; }));
  PressKeyOnRow(0, VK_BACK);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 0; }));
  EXPECT_EQ(ListSelectedRow(List()), -1);
  ExitProgram();
  // An empty list stores nothing: only the preferences remain.
  EXPECT_EQ(FilesIn(app_.WorkingDirectory()), std::vector<std::string>{"prefs.dat"});
}

TEST_F(StoredItemsRun, SpaceTogglesTheCheckMarkAndKeepsTheSelection) {
  StartWithThreeItems();
  PressKeyOnRow(0, VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return ListRowChecked(List(), 0); }));
  EXPECT_EQ(ListSelectedRow(List()), 0);
  PressKeyOnRow(1, VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return !ListRowChecked(List(), 1); }));
  EXPECT_TRUE(ListRowChecked(List(), 0));
  ExitProgram();
  std::vector<ItemRecord> expected = ThreeItems();
  expected[0].checked = 1;
  expected[1].checked = 0;
  std::vector<unsigned char> written;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("items.dat"), written));
  EXPECT_EQ(written, ItemsDatBytes(expected));
}

TEST_F(StoredItemsRun, SetAsCheckedAllImagesChecksOnlyImageRows) {
  StartWithThreeItems();
  ListSetChecked(List(), 1, false);
  ASSERT_TRUE(WaitUntil([&] { return !ListRowChecked(List(), 1); }));
  PostCommand(Main(), CmdCheckAllImages);
  ASSERT_TRUE(WaitUntil([&] { return ListRowChecked(List(), 0) && ListRowChecked(List(), 2); }));
  EXPECT_FALSE(ListRowChecked(List(), 1));
  PostCommand(Main(), CmdCheckAllTexts);
  ASSERT_TRUE(WaitUntil([&] { return ListRowChecked(List(), 1); }));
  PostCommand(Main(), CmdUncheckAllImages);
  ASSERT_TRUE(WaitUntil([&] { return !ListRowChecked(List(), 0) && !ListRowChecked(List(), 2); }));
  EXPECT_TRUE(ListRowChecked(List(), 1));
  ExitProgram();
}

TEST_F(StoredItemsRun, DeleteAllCheckedKeepsTheOthersInOrder) {
  StartWithThreeItems();
  ListSetChecked(List(), 2, true);
  ASSERT_TRUE(WaitUntil([&] { return ListRowChecked(List(), 2); }));
  PostCommand(Main(), CmdDeleteChecked);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 1; }));
  ExitProgram();
  std::vector<unsigned char> written;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("items.dat"), written));
  EXPECT_EQ(written, ItemsDatBytes({ThreeItems()[0]}));
  EXPECT_FALSE(FileExists(app_.WorkingFile(ThreeItems()[1].name + ".txt")));
}

class ItemLimitRequester : public StoredItemsRun {
 protected:
  // Opens the requester, checks its preset answer and gives it `answer`.
  void Answer(const std::string& answer, const std::string& preset) {
    PostCommand(Main(), CmdSetItemLimit);
    HWND requester = WaitForRequester();
    ASSERT_NE(requester, nullptr) << "no item-limit requester";
    EXPECT_EQ(WindowTitle(requester), "Set item limit");
    HWND edit = FindChild(requester, "Edit");
    ASSERT_NE(edit, nullptr);
    char text[64] = {};
    SendMessageTimeoutA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, nullptr);
    EXPECT_EQ(std::string(text), preset);
    ASSERT_TRUE(AnswerTextRequester(requester, answer));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(requester); })) << "requester stayed open";
    // The command goes on after its requester closes: the answer is applied when it returns.
    ASSERT_TRUE(WaitForPostedMessages(Main()));
  }
};

TEST_F(ItemLimitRequester, AcceptsOnlyPlainPositiveNumbers) {
  std::vector<ItemRecord> seven;
  for (int i = 0; i < 7; ++i) seven.push_back({1, 0, "07122026-1015" + std::to_string(10 + i) + "-5"});
  WriteItems(seven);
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 7; }));
  for (const char* rejected : {"05", "+5", " 5", "", "0", "-3", "5x"}) {
    Answer(rejected, "20");
    EXPECT_EQ(ListRowCount(List()), 7) << "answer '" << rejected << "'";
  }
  Answer("5", "20");
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 5; }));
  // The oldest items went, with their files.
  EXPECT_FALSE(FileExists(app_.WorkingFile(seven[6].name + ".txt")));
  EXPECT_FALSE(FileExists(app_.WorkingFile(seven[5].name + ".clt")));
  EXPECT_TRUE(FileExists(app_.WorkingFile(seven[4].name + ".txt")));
  Answer("9", "5");
  ExitProgram();
  std::vector<unsigned char> bytes;
  int32_t values[14];
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), bytes));
  ASSERT_TRUE(PrefsFile::Read(bytes, values));
  EXPECT_EQ(values[PrefsFile::ItemLimit], 9);
}

using MenuToggles = E2eTest;

TEST_F(MenuToggles, TogglesAreStoredAtExit) {
  StartLaterRun();
  for (int command : {4, 5, 6, 42, 46, 47}) PostCommand(Main(), command);
  // Watch Clipboard three times from its three entries: off, on, off.
  for (int command : {43, 44, 45}) PostCommand(Main(), command);
  ExitProgram();
  std::vector<unsigned char> bytes;
  int32_t values[14];
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), bytes));
  ASSERT_TRUE(PrefsFile::Read(bytes, values));
  EXPECT_EQ(values[PrefsFile::ShowAfterPaste], 0);
  EXPECT_EQ(values[PrefsFile::ShowAfterCopy], 0);
  EXPECT_EQ(values[PrefsFile::DeleteAfterPaste], 0);
  EXPECT_EQ(values[PrefsFile::CompressImages], 0);
  EXPECT_EQ(values[PrefsFile::SoundOnCapture], 1);
  EXPECT_EQ(values[PrefsFile::NewItemsChecked], 0);
  EXPECT_EQ(values[PrefsFile::WatchClipboard], 0);
  EXPECT_EQ(values[PrefsFile::KeepItems], 1);
}

}  // namespace

// The collection keeps row, record, slot and files together when things go wrong: a failed add, a
// capture during an export, a change of the clipboard while capture adds, a board kept in the
// working folder, a missing working folder, an export that fails.
#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "exchange/board_export.h"
#include "exchange/board_file_win.h"
#include "exchange/board_import.h"
#include "exchange/board_reader.h"
#include "exchange/board_writer.h"
#include "store/clipboard_capture_win.h"
#include "tests/windows/layer_test_util.h"
#include "tests/windows/load_save_fixture.h"

namespace {

// Puts a text on the clipboard as another program would; false when the clipboard was busy.
bool PutClipboardText(const std::string& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!block) return false;
  char* data = static_cast<char*>(GlobalLock(block));
  std::copy(text.begin(), text.end(), data);
  data[text.size()] = 0;
  GlobalUnlock(block);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(block);
    return false;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_TEXT, block) != nullptr;
  if (!placed) GlobalFree(block);
  CloseClipboard();
  return placed;
}

// Runs the thread's messages (timers included) until `done` or the bound.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(5);
  }
  return true;
}

class CollectionFaults : public LoadSaveWindow {
 protected:
  static std::set<std::string> ItemTexts() {
    std::set<std::string> texts;
    for (int32_t row = 0; row < Collection.Items.Count(); ++row) {
      const Item& item = Collection.Items.At(row);
      if (item.kind == TextItem) texts.insert(Read(WorkingPath(item.name + ".txt")));
    }
    return texts;
  }
  void TearDown() override {
    OnItemsChanged(nullptr);
    Settings.WatchClipboard = 0;
    Settings.ItemLimit = 20;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
};

TEST_F(CollectionFaults, AnAddThatFailsCostsNoOldItem) {
  Settings.ItemLimit = 2;
  const std::string first = "first", second = "second", third = "third";
  CaptureEntry(0, &first);
  CaptureEntry(0, &second);
  ASSERT_EQ(Collection.Items.Count(), 2);
  // No file can be written while the working folder is away.
  const std::string away = Folder() + "away";
  ASSERT_TRUE(MoveFileA(WorkingDirectory().c_str(), away.c_str()));
  CaptureEntry(0, &third);
  ASSERT_TRUE(MoveFileA(away.c_str(), WorkingDirectory().c_str()));
  EXPECT_EQ(Collection.Items.Count(), 2);
  EXPECT_EQ(RowCount(Ui.ItemList), 2);
  EXPECT_EQ(ItemTexts(), (std::set<std::string>{first, second}));
}

TEST_F(CollectionFaults, AClipboardChangeWhileCaptureAddsIsTakenAfterIt) {
  Settings.WatchClipboard = 1;
  bool changedOnce = false;
  // Another program copies while the first item is being added.
  OnItemsChanged([&changedOnce] {
    if (changedOnce) return;
    changedOnce = true;
    PutClipboardText("copied while adding");
  });
  ASSERT_TRUE(PutClipboardText("copied first"));
  EXPECT_TRUE(PumpUntil([] { return Collection.Items.Count() == 2; }));
  EXPECT_EQ(ItemTexts(), (std::set<std::string>{"copied first", "copied while adding"}));
}

TEST_F(CollectionFaults, CapturesDuringAnExportWaitAndTheBoardIsWhatTheCollectionHeld) {
  constexpr int Items = 60;
  // At the limit every capture removes the oldest item: during an export that would take files away.
  Settings.ItemLimit = Items;
  for (int i = 0; i < Items; ++i) {
    const std::string text = "item " + std::to_string(i) + std::string(2000, 'x');
    CaptureEntry(0, &text);
  }
  const std::vector<StoredItem> before = CollectionRecords();
  Settings.WatchClipboard = 1;
  std::atomic<bool> exporting{true};
  std::atomic<int> copies{0};
  // Another program copies a few times while the board is being written.
  std::thread copier([&] {
    while (exporting && !CollectionHeld()) Sleep(1);
    for (int i = 0; i < 5 && CollectionHeld(); ++i) {
      if (PutClipboardText("copied during export " + std::to_string(copies))) ++copies;
      Sleep(10);
    }
  });
  const std::string path = Folder() + "during";
  {
    FileAnswer answer(path);
    ExportBoard();
  }
  exporting = false;
  copier.join();
  ASSERT_GT(copies, 0);

  Board board;
  const BoardReadResult read = ReadBoardFile(path + ".ksb", board);
  ASSERT_TRUE(read.Ok()) << BoardErrorText(read.error) << " at entry " << read.entryIndex;
  // Captures before the requester closed may be in it; none after.
  ASSERT_GE(board.entries.size(), static_cast<size_t>(Items));
  for (const BoardEntry& entry : board.entries) EXPECT_FALSE(entry.content.empty()) << entry.name;
  // What came meanwhile is taken afterwards.
  const std::string last = "copied during export " + std::to_string(copies - 1);
  EXPECT_TRUE(PumpUntil([&] { return ItemTexts().count(last) == 1; })) << last;
}

TEST_F(CollectionFaults, ABoardKeptInTheWorkingFolderSurvivesItsImport) {
  Board board;
  board.itemLimit = 5;
  const std::string text = "from the kept board";
  board.entries.push_back({BoardKindText, false, "03032026-100000-1", {text.begin(), text.end()}, {}});
  const std::string kept = WorkingPath("kept.ksb");
  ASSERT_EQ(WriteBoardFile(kept, board), BoardError::None);
  EXPECT_EQ(ImportBoard(kept), BoardImport::Imported);
  EXPECT_EQ(Collection.Items.Count(), 1);
  EXPECT_EQ(ItemTexts(), (std::set<std::string>{text}));
  EXPECT_NE(GetFileAttributesA(kept.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(kept.c_str());
}

TEST_F(CollectionFaults, ImportMakesAMissingWorkingFolder) {
  Board board;
  const std::string text = "into a new folder";
  board.entries.push_back({BoardKindText, true, "03032026-100000-2", {text.begin(), text.end()}, {}});
  const std::string path = Folder() + "elsewhere.ksb";
  ASSERT_EQ(WriteBoardFile(path, board), BoardError::None);
  EmptyWorkingFolder("");
  ASSERT_TRUE(RemoveDirectoryA(WorkingDirectory().c_str()));
  EXPECT_EQ(ImportBoard(path), BoardImport::Imported);
  EXPECT_EQ(Collection.Items.Count(), 1);
  EXPECT_EQ(ItemTexts(), (std::set<std::string>{text}));
}

TEST_F(CollectionFaults, AnAbandonedExportLeavesTheBoardItWasToReplace) {
  const std::string path = Put("replaced.ksb", "the board as it was");
  {
    BoardFile file(path);
    ASSERT_TRUE(file.Open());
    file.Write({'h', 'a', 'l', 'f'});
    file.Abandon();
  }
  EXPECT_EQ(Read(path), "the board as it was");
  EXPECT_EQ(GetFileAttributesA((path + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  {
    BoardFile file(path);
    file.Write({'n', 'e', 'w'});
  }
  EXPECT_EQ(Read(path), "new");
}

}  // namespace

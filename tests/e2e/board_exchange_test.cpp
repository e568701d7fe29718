// Exporting the collection to a board file and importing boards: from the menu, the command line,
// a second start; valid, empty and damaged boards.
#include <algorithm>
#include <cstdio>
#include <map>

#include "core/commands.h"
#include "exchange/board_reader.h"
#include "exchange/board_writer.h"
#include "store/items_file.h"
#include "tests/e2e/load_save_support.h"
#include "tools/driver/load_save_requesters.h"
#include "tools/driver/reliability_driver.h"
#include "tools/driver/window_driver.h"

namespace {

class BoardExchange : public ExchangeTest {
 protected:
  void StartWith(const std::vector<StoredFiles>& items) {
    WriteCollection(items);
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == static_cast<int>(items.size()); }));
  }
  void Export(const std::string& typedPath) {
    HWND dialog = OpenRequester(CmdExportBoard);
    ASSERT_NE(dialog, nullptr) << "no save requester";
    ASSERT_TRUE(AnswerFileRequester(dialog, typedPath));
    ASSERT_TRUE(WaitUntilDone());
  }
  void Import(const std::string& path) {
    HWND dialog = OpenRequester(CmdImportBoard);
    ASSERT_NE(dialog, nullptr) << "no open requester";
    ASSERT_TRUE(AnswerFileRequester(dialog, path));
    ASSERT_TRUE(WaitUntilDone());
  }
  std::string WriteBoardFile(const std::string& name, const Board& board) {
    std::vector<unsigned char> bytes;
    EXPECT_EQ(WriteBoard(board, bytes), BoardError::None);
    return WriteRaw(name, bytes);
  }
  std::string WriteRaw(const std::string& name, const std::vector<unsigned char>& bytes) {
    const std::string path = OutputFolder() + name;
    EXPECT_TRUE(WriteFileContents(path, bytes));
    return path;
  }
  static Board TwoEntryBoard(int32_t itemLimit) {
    Board board;
    board.itemLimit = itemLimit;
    board.entries.push_back({BoardKindText, false, "01012026-080000-100", Bytes("first board text"), {}});
    board.entries.push_back({BoardKindImage, true, "01012026-080000-050", GradientPng(3), {}});
    for (BoardEntry& entry : board.entries) {
      const std::vector<unsigned char> thumbnail = ThumbnailPng(90, 90, 200);
      entry.thumbnail.assign(thumbnail.begin(), thumbnail.end());
    }
    return board;
  }
  // The item files of the working directory with their contents. items.dat and prefs.dat are
  // left out: the program keeps them current on its own schedule.
  std::map<std::string, std::vector<unsigned char>> WorkingFiles() {
    std::map<std::string, std::vector<unsigned char>> files;
    for (const std::string& name : FilesIn(app_.WorkingDirectory())) {
      if (name == "items.dat" || name == "prefs.dat") continue;
      ReadFileContents(app_.WorkingFile(name), files[name]);
    }
    return files;
  }
  StoredItems ExitAndReadItems() {
    ExitProgram();
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(ReadFileContents(app_.WorkingFile("items.dat"), bytes)) << "no items.dat";
    return ParseItemsFile(bytes.data(), bytes.size());
  }
  std::string StagingFolder() { return app_.WorkingDirectory() + "\\~import"; }
  // Exports the collection, then imports the board into a fresh copy of the program in a folder
  // of its own, as a user moving a history to another computer would. `longestAnswerMs` is the
  // longest the window took to answer during the import.
  void ExportAndImportIntoAFreshCopy(DWORD timeoutMs, long& longestAnswerMs) {
    const std::string exported = OutputFolder() + "moved.ksb";
    HWND dialog = OpenRequester(CmdExportBoard);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(AnswerFileRequester(dialog, exported));
    ASSERT_TRUE(WaitUntilDone(timeoutMs)) << "the export did not end";
    ExitProgram();
    app_.RemoveFolder();
    ASSERT_TRUE(app_.Prepare(ProgramPath()));
    StartLaterRun();
    dialog = OpenRequester(CmdImportBoard);
    ASSERT_NE(dialog, nullptr);
    AnswerWatch watch(Main());
    ASSERT_TRUE(AnswerFileRequester(dialog, exported));
    ASSERT_TRUE(WaitUntilDone(timeoutMs)) << "the import did not end";
    longestAnswerMs = watch.Stop();
  }
  void ExpectTwoEntryBoardShown() {
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 2; })) << ListRowCount(List());
    EXPECT_FALSE(ListRowChecked(List(), 0));
    EXPECT_TRUE(ListRowChecked(List(), 1));
    std::vector<unsigned char> text;
    ASSERT_TRUE(ReadFileContents(app_.WorkingFile("01012026-080000-100.txt"), text));
    EXPECT_EQ(text, Bytes("first board text"));
  }
};

TEST_F(BoardExchange, ExportWritesEveryItemInListOrderWithPngPictures) {
  const std::vector<StoredFiles> items = MixedCollection();
  StartWith(items);
  HWND dialog = OpenRequester(CmdExportBoard);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowTitle(dialog), "Export KepSil! board");
  EXPECT_EQ(FileRequesterPatternText(dialog), "KepSil! board");
  const std::string typed = OutputFolder() + "collection";
  ASSERT_TRUE(AnswerFileRequester(dialog, typed));
  ASSERT_TRUE(WaitUntilDone());

  std::vector<unsigned char> bytes;
  ASSERT_TRUE(ReadFileContents(typed + ".ksb", bytes))
      << "the board was not written with .ksb appended; the folder holds " << testing::PrintToString(FilesIn(OutputFolder()));
  Board board;
  ASSERT_TRUE(ReadBoard(bytes.data(), bytes.size(), board).Ok());
  EXPECT_EQ(board.itemLimit, 20);
  ASSERT_EQ(board.entries.size(), items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(items[i].name);
    EXPECT_EQ(board.entries[i].name, items[i].name);
    EXPECT_EQ(board.entries[i].kind, items[i].kind);
    EXPECT_EQ(board.entries[i].checked, items[i].checked != 0);
    EXPECT_EQ(board.entries[i].thumbnail, items[i].thumbnail);
  }
  EXPECT_EQ(board.entries[0].content, items[0].content);
  EXPECT_EQ(board.entries[3].content, Bytes("x"));
  // The BMP picture is re-encoded as PNG; the PNG one is taken byte for byte.
  EXPECT_TRUE(IsPng(board.entries[1].content));
  EXPECT_TRUE(ShowsGradient(board.entries[1].content, 1));
  EXPECT_EQ(board.entries[2].content, items[2].content);

  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  EXPECT_FALSE(FileExists(std::string(temp) + "_temp.bmp")) << "the temporary PNG was left behind";

  int32_t values[14];
  std::vector<std::string> strings;
  ExitAndReadPrefs(values, strings);
  EXPECT_EQ(strings[LastBoardFile], typed + ".ksb");
}

TEST_F(BoardExchange, MissingItemFilesStillGiveAReadableBoard) {
  std::vector<StoredFiles> items = MixedCollection();
  StartWith(items);
  DeleteFileA(app_.WorkingFile(items[1].name + ".bmp").c_str());
  DeleteFileA(app_.WorkingFile(items[0].name + ".txt").c_str());
  DeleteFileA(app_.WorkingFile(items[2].name + ".clt").c_str());
  const std::string path = OutputFolder() + "gaps.KSB";
  Export(path);
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(ReadFileContents(path, bytes)) << "a name ending in KSB is used as it is";
  Board board;
  ASSERT_TRUE(ReadBoard(bytes.data(), bytes.size(), board).Ok());
  ASSERT_EQ(board.entries.size(), 4u);
  EXPECT_TRUE(board.entries[0].content.empty());
  EXPECT_TRUE(board.entries[1].content.empty());
  EXPECT_TRUE(board.entries[2].thumbnail.empty());
  EXPECT_EQ(board.entries[2].content, items[2].content);
  EXPECT_EQ(board.entries[3].content, Bytes("x"));
}

TEST_F(BoardExchange, ImportIntoAFreshCopyReproducesRowsChecksAndFiles) {
  const std::vector<StoredFiles> items = MixedCollection();
  StartWith(items);
  const std::string exported = OutputFolder() + "round trip.ksb";
  Export(exported);
  std::vector<unsigned char> board;
  ASSERT_TRUE(ReadFileContents(exported, board));
  const auto original = WorkingFiles();
  ExitProgram();

  // A new copy of the program in a folder of its own.
  app_.RemoveFolder();
  ASSERT_TRUE(app_.Prepare(ProgramPath()));
  const std::string copied = WriteRaw("board.ksb", board);
  StartLaterRun();
  ASSERT_EQ(ListRowCount(List()), 0);
  Import(copied);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 4; })) << ListRowCount(List());
  for (int row = 0; row < 4; ++row) EXPECT_EQ(ListRowChecked(List(), row), items[static_cast<size_t>(row)].checked != 0) << row;

  const auto imported = WorkingFiles();
  for (const StoredFiles& item : items) {
    SCOPED_TRACE(item.name);
    EXPECT_EQ(imported.at(item.name + ".clt"), item.thumbnail);
    if (item.kind == 1) {
      EXPECT_EQ(imported.at(item.name + ".txt"), item.content);
    } else {
      // Pictures come back as PNG data under the .bmp name.
      EXPECT_TRUE(IsPng(imported.at(item.name + ".bmp")));
    }
  }
  EXPECT_EQ(imported.at(items[2].name + ".bmp"), original.at(items[2].name + ".bmp"));
  EXPECT_TRUE(ShowsGradient(imported.at(items[1].name + ".bmp"), 1));

  int32_t values[14];
  std::vector<std::string> strings;
  ExitAndReadPrefs(values, strings);
  EXPECT_EQ(strings[LastBoardFile], copied);
  std::vector<unsigned char> stored;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("items.dat"), stored));
  std::vector<ItemRecord> records;
  for (const StoredFiles& item : items) records.push_back({item.kind, item.checked, item.name});
  EXPECT_EQ(stored, ItemsDatBytes(records));
}

TEST_F(BoardExchange, SmallerItemLimitOfABoardLeavesTheSettingAlone) {
  StartLaterRun();
  Import(WriteBoardFile("five.ksb", TwoEntryBoard(5)));
  ExpectTwoEntryBoardShown();
  int32_t values[14];
  std::vector<std::string> strings;
  ExitAndReadPrefs(values, strings);
  EXPECT_EQ(values[PrefsFile::ItemLimit], 20);
}

TEST_F(BoardExchange, SecondStartWithABoardMakesTheRunningProgramImportIt) {
  WriteItems(ThreeItems());
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  const std::string board = WriteBoardFile("fifty.ksb", TwoEntryBoard(50));
  KepsilProcess second;
  second.UseFolder(app_.Folder());
  ASSERT_TRUE(second.Start("\"" + board + "\""));
  ASSERT_TRUE(second.WaitForExit(10000));
  ExpectTwoEntryBoardShown();
  for (const ItemRecord& old : ThreeItems()) EXPECT_FALSE(FileExists(app_.WorkingFile(old.name + ".clt")));
  int32_t values[14];
  std::vector<std::string> strings;
  ExitAndReadPrefs(values, strings);
  EXPECT_EQ(values[PrefsFile::ItemLimit], 50);
  EXPECT_EQ(strings[LastBoardFile], board);
}

TEST_F(BoardExchange, BoardOnTheCommandLineIsImportedInsteadOfStoredItems) {
  WriteItems(ThreeItems());
  const std::string board = WriteBoardFile("start.ksb", TwoEntryBoard(20));
  StartProgram("\"" + board + "\"");
  ExpectTwoEntryBoardShown();
  for (const ItemRecord& old : ThreeItems()) EXPECT_FALSE(FileExists(app_.WorkingFile(old.name + ".clt")));
}

TEST_F(BoardExchange, DamagedBoardOnTheCommandLineKeepsTheStoredItemsAndSaysSo) {
  WriteItems(ThreeItems());
  std::vector<unsigned char> bytes;
  WriteBoard(TwoEntryBoard(20), bytes);
  bytes.resize(bytes.size() - 10);
  const std::string cut = WriteRaw("cut.ksb", bytes);
  StartProgram("\"" + cut + "\"");
  ASSERT_TRUE(AnswerMessage("Info")) << "no message that the board was not read";
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  ExitProgram();
  std::vector<unsigned char> stored;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("items.dat"), stored));
  EXPECT_EQ(stored, ItemsDatBytes(ThreeItems()));
  for (const ItemRecord& old : ThreeItems()) EXPECT_TRUE(FileExists(app_.WorkingFile(old.name + ".clt")));
}

// The import deletes items.dat and prefs.dat with the rest of the folder; the same collection and
// settings afterwards must not keep them from being written again.
TEST_F(BoardExchange, ImportingTheCollectionItHoldsWritesItsFilesAgain) {
  WriteItems(ThreeItems());
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  const std::string path = OutputFolder() + "same";
  Export(path);
  ASSERT_TRUE(WaitUntil([&] { return FileExists(app_.WorkingFile("prefs.dat")); }));
  Import(path + ".ksb");
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  EXPECT_TRUE(WaitUntil([&] { return FileExists(app_.WorkingFile("items.dat")); })) << "items.dat not written again";
  EXPECT_TRUE(WaitUntil([&] { return FileExists(app_.WorkingFile("prefs.dat")); })) << "prefs.dat not written again";
}

TEST_F(BoardExchange, BoardWithoutEntriesEmptiesTheCollectionAndTheFolder) {
  WriteItems(ThreeItems());
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  Board empty;
  empty.itemLimit = 20;
  Import(WriteBoardFile("empty.ksb", empty));
  EXPECT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 0; }));
  EXPECT_TRUE(WorkingFiles().empty());
  EXPECT_TRUE(DirectoryExists(app_.WorkingDirectory()));
}

// Texts of their own for each item, made of runs of one letter: they pack quickly, so the test
// spends its time on the board rather than on packing.
std::vector<unsigned char> NumberedText(int item, size_t size) {
  std::string text;
  for (int block = 0; text.size() < size; ++block) {
    text += "item " + std::to_string(item) + ", block " + std::to_string(block) + "\r\n";
    text += std::string(4000, static_cast<char>('a' + (item + block) % 26)) + "\r\n";
  }
  text.resize(size);
  return Bytes(text);
}

std::string LargeItemName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "08122026-%06d-1", 999999 - i);
  return name;
}

// A board larger than the reader used to hold in memory (and whose packed texts passed its old
// total), made of many middling texts, comes back whole.
TEST_F(BoardExchange, FourThousandFiveHundredTextsOfSixtyKilobytesComeBackWhole) {
  constexpr int kCount = 4500;
  MakeWorkingDirectory();
  std::vector<ItemRecord> records;
  const std::vector<unsigned char> thumbnail = ThumbnailPng(90, 90, 200);
  for (int i = 0; i < kCount; ++i) {
    records.push_back({1, i % 3 == 0, LargeItemName(i)});
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile(LargeItemName(i) + ".txt"), NumberedText(i, 60 * 1024)));
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile(LargeItemName(i) + ".clt"), thumbnail));
  }
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("items.dat"), ItemsDatBytes(records)));
  PrefsFile prefs;
  prefs.values[PrefsFile::ItemLimit] = kCount;
  WritePrefs(prefs);
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == kCount; }, 60000));
  long longestAnswerMs = 0;
  ExportAndImportIntoAFreshCopy(600000, longestAnswerMs);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == kCount; })) << ListRowCount(List());
  // Closing the requester under Wine without a window manager waits up to 2 s for the X server:
  // that is the bound's floor. The import in one step left the window without an answer longer.
  EXPECT_LT(longestAnswerMs, 3500) << "during the import the window did not answer for " << longestAnswerMs << " ms";
  EXPECT_FALSE(DirectoryExists(StagingFolder()));
  for (int i = 0; i < kCount; ++i) {
    std::vector<unsigned char> text;
    ASSERT_TRUE(ReadFileContents(app_.WorkingFile(LargeItemName(i) + ".txt"), text)) << i;
    ASSERT_EQ(text, NumberedText(i, 60 * 1024)) << i;
  }
  const StoredItems stored = ExitAndReadItems();
  ASSERT_EQ(stored.items.size(), static_cast<size_t>(kCount));
  for (int i = 0; i < kCount; i += 449) EXPECT_EQ(stored.items[static_cast<size_t>(i)].checked, i % 3 == 0 ? 1 : 0) << i;
}

// Nine texts copied from a browser or a word processor, each with 15 MiB of HTML and of rich text:
// beyond what the reader used to unpack in all.
TEST_F(BoardExchange, NineTextsWithFifteenMegabytesOfHtmlAndRichTextComeBackWhole) {
  constexpr int kCount = 9;
  constexpr size_t kExtra = 15u << 20;
  MakeWorkingDirectory();
  std::vector<ItemRecord> records;
  for (int i = 0; i < kCount; ++i) {
    const std::string name = LargeItemName(i);
    records.push_back({1, 0, name});
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile(name + ".txt"), NumberedText(i, 1000)));
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile(name + ".clt"), ThumbnailPng(90, 90, 200)));
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile(name + ".htm"), NumberedText(100 + i, kExtra)));
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile(name + ".rtf"), NumberedText(200 + i, kExtra)));
  }
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("items.dat"), ItemsDatBytes(records)));
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == kCount; }));
  long longestAnswerMs = 0;
  ExportAndImportIntoAFreshCopy(600000, longestAnswerMs);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == kCount; })) << ListRowCount(List());
  EXPECT_LT(longestAnswerMs, 3500) << "during the import the window did not answer for " << longestAnswerMs << " ms";
  for (int i = 0; i < kCount; ++i) {
    std::vector<unsigned char> html;
    std::vector<unsigned char> rich;
    ASSERT_TRUE(ReadFileContents(app_.WorkingFile(LargeItemName(i) + ".htm"), html)) << i;
    ASSERT_TRUE(ReadFileContents(app_.WorkingFile(LargeItemName(i) + ".rtf"), rich)) << i;
    EXPECT_TRUE(html == NumberedText(100 + i, kExtra)) << i;
    EXPECT_TRUE(rich == NumberedText(200 + i, kExtra)) << i;
  }
}

// Exit chosen while a large board is imported waits for the import: the program ends with the
// board's items stored and in place, none of them left in the staging folder.
TEST_F(BoardExchange, ExitDuringAnImportEndsWithTheWholeBoardStored) {
  constexpr int kCount = 1500;
  std::vector<unsigned char> bytes;
  AppendBoardHeader(bytes, 20, kCount);
  for (int i = 0; i < kCount; ++i) {
    // Stored as they are: the test need not pack them.
    AppendBoardEntry(bytes, {BoardKindText, false, LargeItemName(i), NumberedText(i, 40000), ThumbnailPng(90, 90, 200)}, {});
  }
  const std::string board = WriteRaw("exit.ksb", bytes);
  WriteItems(ThreeItems());
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  HWND dialog = OpenRequester(CmdImportBoard);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(AnswerFileRequester(dialog, board));
  PostCommand(Main(), CmdExit);
  ASSERT_TRUE(app_.WaitForExit(300000)) << "the program did not end after Exit";
  EXPECT_FALSE(DirectoryExists(StagingFolder()));
  std::vector<unsigned char> stored;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("items.dat"), stored));
  const StoredItems items = ParseItemsFile(stored.data(), stored.size());
  ASSERT_EQ(items.items.size(), static_cast<size_t>(kCount));
  for (int i = 0; i < kCount; i += 149) {
    std::vector<unsigned char> text;
    ASSERT_TRUE(ReadFileContents(app_.WorkingFile(LargeItemName(i) + ".txt"), text)) << i;
    EXPECT_EQ(text, NumberedText(i, 40000)) << i;
  }
  for (const ItemRecord& old : ThreeItems()) EXPECT_FALSE(FileExists(app_.WorkingFile(old.name + ".clt")));
}

// Two items of one name (files loaded in the same millisecond, made by another copy): both come
// in, the later one under a fresh name; nothing else about the board changes.
TEST_F(BoardExchange, ABoardWithARepeatedNameIsImportedWithBothEntries) {
  StartLaterRun();
  Board board = TwoEntryBoard(20);
  board.entries[1].name = board.entries[0].name;
  board.entries[1].kind = BoardKindText;
  board.entries[1].content = Bytes("second text of the same name");
  Import(WriteBoardFile("twice.ksb", board));
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 2; })) << ListRowCount(List());
  EXPECT_FALSE(ListRowChecked(List(), 0));
  EXPECT_TRUE(ListRowChecked(List(), 1));
  std::vector<unsigned char> first;
  std::vector<unsigned char> second;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("01012026-080000-100.txt"), first));
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("01012026-080000-100-1.txt"), second));
  EXPECT_EQ(first, Bytes("first board text"));
  EXPECT_EQ(second, Bytes("second text of the same name"));
  EXPECT_TRUE(FileExists(app_.WorkingFile("01012026-080000-100-1.clt")));
  const StoredItems stored = ExitAndReadItems();
  ASSERT_EQ(stored.items.size(), 2u);
  EXPECT_EQ(stored.items[1].name, "01012026-080000-100-1");
}

// A kill or a power cut during an import leaves its staging folder; the next start clears it and
// shows the items it kept.
TEST_F(BoardExchange, AStagingFolderLeftByACutImportIsRemovedAtStart) {
  WriteItems(ThreeItems());
  ASSERT_TRUE(CreateDirectoryA(StagingFolder().c_str(), nullptr));
  ASSERT_TRUE(WriteFileContents(StagingFolder() + "\\01012026-080000-100.txt", Bytes("half an import")));
  ASSERT_TRUE(WriteFileContents(StagingFolder() + "\\01012026-080000-100.clt", Bytes("")));
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  EXPECT_FALSE(DirectoryExists(StagingFolder()));
  for (const ItemRecord& old : ThreeItems()) EXPECT_TRUE(FileExists(app_.WorkingFile(old.name + ".clt")));
}

// A cut after the board was staged whole (its items.dat written, the old collection perhaps half
// gone) is finished at the next start: the board's items show, not an empty or half collection.
TEST_F(BoardExchange, ABoardStagedWholeBeforeACutIsFinishedAtStart) {
  WriteItems(ThreeItems());
  ASSERT_TRUE(CreateDirectoryA(StagingFolder().c_str(), nullptr));
  const std::vector<ItemRecord> board = {{1, 1, "01012026-080000-100"}, {1, 0, "01012026-080000-050"}};
  for (const ItemRecord& item : board) {
    ASSERT_TRUE(WriteFileContents(StagingFolder() + "\\" + item.name + ".txt", Bytes("staged " + item.name)));
    ASSERT_TRUE(WriteFileContents(StagingFolder() + "\\" + item.name + ".clt", ThumbnailPng(90, 90, 200)));
  }
  ASSERT_TRUE(WriteFileContents(StagingFolder() + "\\items.dat", ItemsDatBytes(board)));
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 2; })) << ListRowCount(List());
  EXPECT_TRUE(ListRowChecked(List(), 0));
  EXPECT_FALSE(DirectoryExists(StagingFolder()));
  std::vector<unsigned char> text;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("01012026-080000-050.txt"), text));
  EXPECT_EQ(text, Bytes("staged 01012026-080000-050"));
}

// An item the board's length fields cannot hold is said to be before anything is written: no
// board that could not be read back.
TEST_F(BoardExchange, ExportRefusesAnItemLargerThanABoardHoldsBeforeWritingAnything) {
  std::vector<StoredFiles> items = MixedCollection();
  StartWith(items);
  // A sparse file: 2 GiB and a byte, without the disk space.
  {
    HANDLE file = CreateFileA(app_.WorkingFile(items[0].name + ".txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = (int64_t{1} << 31);
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
  }
  const std::string path = OutputFolder() + "too large.ksb";
  HWND dialog = OpenRequester(CmdExportBoard);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(AnswerFileRequester(dialog, path));
  EXPECT_TRUE(AnswerMessage("Info")) << "no message that the item is too large for a board";
  ASSERT_TRUE(WaitUntilDone());
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(FileExists(path + ".tmp"));
}

TEST_F(BoardExchange, DamagedBoardsChangeNothing) {
  WriteItems(ThreeItems());
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
  const auto before = WorkingFiles();

  std::vector<unsigned char> bytes;
  WriteBoard(TwoEntryBoard(50), bytes);
  // The same board with the second entry's name made to climb out of the working folder.
  const std::string good = "01012026-080000-050";
  auto at = std::search(bytes.begin(), bytes.end(), good.begin(), good.end());
  ASSERT_NE(at, bytes.end());
  const std::string evil = "..\\..\\evil-00000000";
  std::copy(evil.begin(), evil.end(), at);
  const std::string climbing = WriteRaw("climbing.ksb", bytes);
  WriteBoard(TwoEntryBoard(50), bytes);
  bytes.resize(bytes.size() - 10);
  const std::string cut = WriteRaw("cut.ksb", bytes);
  const std::string upper = WriteRaw("upper.ksb", Bytes(std::string("KEPSILFILEV1") + '\0'));

  for (const std::string& board : {climbing, cut, upper}) {
    SCOPED_TRACE(board);
    HWND dialog = OpenRequester(CmdImportBoard);
    ASSERT_NE(dialog, nullptr) << "no open requester";
    ASSERT_TRUE(AnswerFileRequester(dialog, board));
    // A damaged board is said to be; a file that is no board at all is passed over quietly.
    if (board != upper) {
      EXPECT_TRUE(AnswerMessage("Info")) << "no message that the board was not read";
    }
    ASSERT_TRUE(WaitUntilDone());
    EXPECT_EQ(ListRowCount(List()), 3);
    EXPECT_EQ(WorkingFiles(), before);
    EXPECT_FALSE(DirectoryExists(StagingFolder())) << "the staged files of the refused board were left";
  }
  EXPECT_FALSE(FileExists(app_.WorkingFile(evil + ".bmp")));
  EXPECT_FALSE(FileExists(app_.WorkingFile(evil + ".clt")));
  int32_t values[14];
  std::vector<std::string> strings;
  ExitAndReadPrefs(values, strings);
  EXPECT_EQ(values[PrefsFile::ItemLimit], 20);
  EXPECT_EQ(strings[LastBoardFile], "");
}

}  // namespace

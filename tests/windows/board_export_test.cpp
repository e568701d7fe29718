// Export and import in process: the requester's answer, the temporary PNG, the rebuilt list.
#include <vector>

#include "store/collection_win.h"
#include "exchange/board_export.h"
#include "exchange/board_import.h"
#include "exchange/board_reader.h"
#include "exchange/board_writer.h"
#include "tests/windows/layer_test_util.h"
#include "tests/windows/load_save_fixture.h"

namespace {

using BoardInProcess = LoadSaveWindow;

TEST_F(BoardInProcess, ExportedBoardImportsBackWithItsCheckMarks) {
  const std::string first = "first text", second = "second text";
  CaptureEntry(0, &first);
  CaptureEntry(NewImage(-1, 30, 20), nullptr);
  CaptureEntry(0, &second);
  ASSERT_EQ(Collection.Items.Count(), 3);
  SetRowState(Ui.ItemList, 0, 0);
  SetRowState(Ui.ItemList, 1, RowChecked);
  SetRowState(Ui.ItemList, 2, 0);
  std::vector<std::string> names;
  for (int row = 0; row < 3; ++row) names.push_back(Collection.Items.At(row).name);

  const std::string path = Folder() + "in process";
  {
    FileAnswer answer(path);
    ExportBoard();
  }
  EXPECT_EQ(Settings.LastBoardFile, path + ".ksb");
  Board board;
  const BoardReadResult read = ReadBoardFile(path + ".ksb", board);
  ASSERT_TRUE(read.Ok()) << BoardErrorText(read.error);
  ASSERT_EQ(board.entries.size(), 3u);
  EXPECT_TRUE(board.entries[1].checked);
  EXPECT_EQ(board.entries[0].content, std::vector<unsigned char>(second.begin(), second.end()));
  EXPECT_FALSE(BoardExport.TempPngPath.size());
  EXPECT_EQ(GetFileAttributesA((App.TempDir + "_temp.bmp").c_str()), INVALID_FILE_ATTRIBUTES);

  ResetCollection("");
  ImportBoard(path + ".ksb");
  ASSERT_EQ(Collection.Items.Count(), 3);
  ASSERT_EQ(RowCount(Ui.ItemList), 3);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Collection.Items.At(row).name, names[static_cast<size_t>(row)]);
    EXPECT_EQ((GetRowState(Ui.ItemList, row) & RowChecked) != 0, row == 1);
  }
  EXPECT_EQ(Read(WorkingPath(names[2] + ".txt")), first);
}

// A file that cannot be written (a folder holds its name) costs only its own entry: the entries
// after it are read from the right place.
TEST_F(BoardInProcess, EntryWhoseFileCannotBeWrittenIsLeftOut) {
  Board board;
  board.itemLimit = 3;
  for (const char* name : {"02022026-090000-300", "02022026-090000-200", "02022026-090000-100"}) {
    const std::string text = std::string("text of ") + name;
    board.entries.push_back({BoardKindText, true, name, {text.begin(), text.end()}, {}});
  }
  const std::string path = Folder() + "blocked.ksb";
  ASSERT_EQ(WriteBoardFile(path, board), BoardError::None);
  // Clearing the store removes files, not folders.
  const std::string blocked = WorkingPath("02022026-090000-200.txt");
  ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));

  ImportBoard(path);
  RemoveDirectoryA(blocked.c_str());
  ASSERT_EQ(Collection.Items.Count(), 2);
  ASSERT_EQ(RowCount(Ui.ItemList), 2);
  EXPECT_EQ(Collection.Items.At(0).name, "02022026-090000-300");
  EXPECT_EQ(Collection.Items.At(1).name, "02022026-090000-100");
  EXPECT_EQ(Read(WorkingPath("02022026-090000-100.txt")), "text of 02022026-090000-100");
  EXPECT_EQ(Settings.ItemLimit, 20);
  EXPECT_EQ(Settings.LastBoardFile, path);
}

// Nothing happens for a cancelled requester or a file that cannot be opened.
TEST_F(BoardInProcess, MissingBoardChangesNothing) {
  const std::string text = "kept";
  CaptureEntry(0, &text);
  Settings.LastBoardFile = "C:\\before.ksb";
  ImportBoard(Folder() + "no such board.ksb");
  EXPECT_EQ(Collection.Items.Count(), 1);
  EXPECT_EQ(Settings.LastBoardFile, "C:\\before.ksb");
}

}  // namespace

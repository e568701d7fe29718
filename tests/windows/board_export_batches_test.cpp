// Export of a collection large enough to be read, packed and written in several batches.
#include <string>
#include <vector>

#include "exchange/board_export.h"
#include "exchange/board_reader.h"
#include "exchange/board_writer.h"
#include "tests/windows/layer_test_util.h"
#include "tests/windows/load_save_fixture.h"

namespace {

// Prose that differs from item to item, so each text packs on its own terms.
std::string ItemText(int item, size_t length) {
  std::string text;
  for (int line = 0; text.size() < length; ++line) {
    text += "Item " + std::to_string(item) + ", line " + std::to_string(line) +
            ": the history keeps what was copied, " + std::to_string(line * 7919 % 1000) + " times over.\r\n";
  }
  text.resize(length);
  return text;
}

using BoardExportBatches = LoadSaveWindow;

TEST_F(BoardExportBatches, EveryItemKeepsItsPlaceAndTheBytesMatchOneByOneWriting) {
  struct LimitGuard {
    int32_t saved = Settings.ItemLimit;
    ~LimitGuard() { Settings.ItemLimit = saved; }
  } guard;
  Settings.ItemLimit = 100;
  constexpr int Items = 70;
  for (int i = 0; i < Items; ++i) {
    if (i % 10 == 5) {
      CaptureEntry(NewImage(-1, 40 + i, 20), nullptr);
    } else {
      const std::string text = ItemText(i, 40 + static_cast<size_t>(i) * 7919 % 20000);
      CaptureEntry(0, &text);
    }
  }
  ASSERT_EQ(Collection.Items.Count(), Items);
  for (int row = 0; row < Items; ++row) SetRowState(Ui.ItemList, row, row % 3 == 0 ? RowChecked : 0);

  const std::string path = Folder() + "batches";
  {
    FileAnswer answer(path);
    ExportBoard();
  }
  Board board;
  const BoardReadResult read = ReadBoardFile(path + ".ksb", board);
  ASSERT_TRUE(read.Ok()) << BoardErrorText(read.error);
  ASSERT_EQ(board.entries.size(), static_cast<size_t>(Items));
  for (int row = 0; row < Items; ++row) {
    SCOPED_TRACE(row);
    const Item& item = Collection.Items.At(row);
    const BoardEntry& entry = board.entries[static_cast<size_t>(row)];
    EXPECT_EQ(entry.name, item.name);
    EXPECT_EQ(entry.checked, row % 3 == 0);
    if (item.kind == ImageItem) {
      EXPECT_EQ(entry.kind, BoardKindImage);
      EXPECT_GT(entry.content.size(), 8u);
    } else {
      const std::string text = Read(WorkingPath(item.name + ".txt"));
      EXPECT_EQ(std::string(entry.content.begin(), entry.content.end()), text);
    }
  }
  // Packing in batches on several threads changes nothing in the file.
  std::vector<unsigned char> expected;
  AppendBoardHeader(expected, board.itemLimit, static_cast<int32_t>(board.entries.size()));
  for (const BoardEntry& entry : board.entries) ASSERT_EQ(AppendBoardEntry(expected, entry), BoardError::None);
  const std::string file = Read(path + ".ksb");
  EXPECT_TRUE(std::vector<unsigned char>(file.begin(), file.end()) == expected);
}

}  // namespace

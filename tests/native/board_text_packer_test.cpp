// Packing a board's texts ahead of writing, on several threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "exchange/board_reader.h"
#include "exchange/board_text_packer.h"
#include "exchange/board_writer.h"
#include "exchange/pack/pack.h"
#include "tests/native/pack_test_support.h"

namespace {

// Texts of many lengths, incompressible ones, empty ones and pictures, some with extras, more
// than enough to be packed on several threads.
Board MixedBoard() {
  Board board;
  board.itemLimit = 300;
  for (int i = 0; i < 120; ++i) {
    BoardEntry entry;
    entry.name = "07122026-1200" + std::to_string(10 + i % 50) + "-" + std::to_string(i);
    entry.checked = i % 3 == 0;
    entry.thumbnail = packtest::RandomBytes(static_cast<std::size_t>(i % 5) * 10, 900 + i);
    if (i % 4 == 0) {
      entry.kind = BoardKindImage;
      entry.content = packtest::RandomBytes(2000, 1000 + i);
    } else if (i % 17 == 0) {
      entry.content = packtest::RandomBytes(3000, 2000 + i);  // stored as it is
    } else if (i % 23 == 0) {
      entry.content.clear();
    } else {
      entry.content = packtest::EnglishText(40 + static_cast<std::size_t>(i) * 331 % 9000, 3000 + i);
    }
    if (i % 8 == 0) entry.extras.push_back({ExtraKind::AlphaPicture, packtest::EnglishText(3000, 4000 + i)});
    if (i % 10 == 1) entry.extras.push_back({ExtraKind::Html, packtest::EnglishText(20 + i * 97 % 5000, 5000 + i)});
    if (i % 10 == 3) entry.extras.push_back({ExtraKind::RichText, packtest::RandomBytes(1500, 6000 + i)});
    board.entries.push_back(std::move(entry));
  }
  return board;
}

}  // namespace

TEST(BoardTextPacker, ThreadsGiveTheSameBytesAsOneAfterAnother) {
  const Board board = MixedBoard();
  const auto serial = PackBoardTexts(board.entries, 1);
  const PackedBoardBlocks serialBlocks = PackBoardBlocks(board.entries, 1);
  EXPECT_EQ(serialBlocks.texts, serial);
  for (unsigned threads : {0u, 2u, 3u, 16u}) {
    SCOPED_TRACE(threads);
    EXPECT_EQ(PackBoardTexts(board.entries, threads), serial);
    EXPECT_EQ(PackBoardBlocks(board.entries, threads).extras, serialBlocks.extras);
  }
  // The whole board equals one written entry by entry and then extra by extra, each block packed
  // where it is written, as the export writes it.
  std::vector<unsigned char> expected;
  AppendBoardHeader(expected, board.itemLimit, static_cast<int32_t>(board.entries.size()));
  for (const BoardEntry& entry : board.entries) ASSERT_EQ(AppendBoardEntry(expected, entry), BoardError::None);
  const auto withExtras = std::count_if(board.entries.begin(), board.entries.end(),
                                        [](const BoardEntry& entry) { return !entry.extras.empty(); });
  AppendBoardExtrasStart(expected, static_cast<int32_t>(withExtras));
  for (std::size_t i = 0; i < board.entries.size(); ++i) {
    if (board.entries[i].extras.empty()) continue;
    ASSERT_EQ(AppendBoardExtrasRecord(expected, static_cast<int32_t>(i), board.entries[i]), BoardError::None);
  }
  std::vector<unsigned char> written = {'x'};
  ASSERT_EQ(WriteBoard(board, written), BoardError::None);
  EXPECT_EQ(written.front(), 'x') << "the board is appended to what was there";
  EXPECT_TRUE(std::equal(written.begin() + 1, written.end(), expected.begin(), expected.end()));

  Board read;
  ASSERT_TRUE(ReadBoard(expected.data(), expected.size(), read).Ok());
  ASSERT_EQ(read.entries.size(), board.entries.size());
  for (std::size_t i = 0; i < board.entries.size(); ++i) {
    EXPECT_EQ(read.entries[i].content, board.entries[i].content) << i;
    ASSERT_EQ(read.entries[i].extras.size(), board.entries[i].extras.size()) << i;
    for (std::size_t k = 0; k < board.entries[i].extras.size(); ++k) {
      EXPECT_EQ(read.entries[i].extras[k].bytes, board.entries[i].extras[k].bytes) << i << " " << k;
    }
  }
}

TEST(BoardTextPacker, BlocksArePackedOnlyWhenTheyPay) {
  const Board board = MixedBoard();
  const auto blocks = PackBoardTexts(board.entries);
  ASSERT_EQ(blocks.size(), board.entries.size());
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    SCOPED_TRACE(i);
    const BoardEntry& entry = board.entries[i];
    if (entry.kind == BoardKindImage || entry.content.empty() || i % 17 == 0) {
      EXPECT_TRUE(blocks[i].empty());
      continue;
    }
    if (blocks[i].empty()) {
      // Only a very short text may fail to pack smaller.
      EXPECT_LT(entry.content.size(), 64u);
      continue;
    }
    EXPECT_LE(blocks[i].size(), entry.content.size());
    std::vector<unsigned char> back(entry.content.size());
    EXPECT_EQ(unpack(blocks[i].data(), blocks[i].size(), back.data(), back.size()), back.size());
    EXPECT_EQ(back, entry.content);
  }
  // Extras are kept packed only when that makes them shorter; pictures are never packed.
  const PackedBoardBlocks packed = PackBoardBlocks(board.entries);
  for (std::size_t i = 0; i < board.entries.size(); ++i) {
    for (std::size_t k = 0; k < board.entries[i].extras.size(); ++k) {
      SCOPED_TRACE(testing::Message() << i << " " << k);
      const ItemExtra& extra = board.entries[i].extras[k];
      const PackedBlock& block = packed.extras[i][k];
      if (extra.kind == ExtraKind::Html) {
        EXPECT_FALSE(block.empty()) << "prose always packs smaller";
        EXPECT_LT(block.size(), extra.bytes.size());
      } else {
        EXPECT_TRUE(block.empty()) << "a picture or random bytes";
      }
    }
  }
  ItemExtra random{ExtraKind::RichText, packtest::RandomBytes(300, 7)};
  EXPECT_TRUE(PackBoardExtra(random).empty());
  EXPECT_TRUE(PackBoardExtra({ExtraKind::AlphaPicture, std::vector<unsigned char>(5000, 0)}).empty());
  EXPECT_FALSE(PackBoardExtra({ExtraKind::RichText, std::vector<unsigned char>(5000, 0)}).empty());
}

TEST(BoardTextPacker, RefusedBoardIsNotPackedAndLeavesTheOutputAlone) {
  Board board = MixedBoard();
  board.entries.back().name = "..\\outside";
  std::vector<unsigned char> out = {1, 2, 3};
  EXPECT_EQ(WriteBoard(board, out), BoardError::BadName);
  EXPECT_EQ(out, (std::vector<unsigned char>{1, 2, 3}));
}

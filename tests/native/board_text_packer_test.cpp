// Packing a board's texts ahead of writing, on several threads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/board_reader.h"
#include "exchange/board_text_packer.h"
#include "exchange/board_writer.h"
#include "exchange/pack/pack.h"
#include "tests/native/pack_test_support.h"

namespace {

// Texts of many lengths, incompressible ones, empty ones and pictures, more than enough to be
// packed on several threads.
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
    board.entries.push_back(std::move(entry));
  }
  return board;
}

}  // namespace

TEST(BoardTextPacker, ThreadsGiveTheSameBytesAsOneAfterAnother) {
  const Board board = MixedBoard();
  const auto serial = PackBoardTexts(board.entries, 1);
  for (unsigned threads : {0u, 2u, 3u, 16u}) {
    SCOPED_TRACE(threads);
    EXPECT_EQ(PackBoardTexts(board.entries, threads), serial);
  }
  // The whole board equals one written entry by entry, each text packed where it is written.
  std::vector<unsigned char> expected;
  AppendBoardHeader(expected, board.itemLimit, static_cast<int32_t>(board.entries.size()));
  for (const BoardEntry& entry : board.entries) ASSERT_EQ(AppendBoardEntry(expected, entry), BoardError::None);
  std::vector<unsigned char> written = {'x'};
  ASSERT_EQ(WriteBoard(board, written), BoardError::None);
  EXPECT_EQ(written.front(), 'x') << "the board is appended to what was there";
  EXPECT_TRUE(std::equal(written.begin() + 1, written.end(), expected.begin(), expected.end()));

  Board read;
  ASSERT_TRUE(ReadBoard(expected.data(), expected.size(), read).Ok());
  ASSERT_EQ(read.entries.size(), board.entries.size());
  for (std::size_t i = 0; i < board.entries.size(); ++i) EXPECT_EQ(read.entries[i].content, board.entries[i].content) << i;
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
}

TEST(BoardTextPacker, RefusedBoardIsNotPackedAndLeavesTheOutputAlone) {
  Board board = MixedBoard();
  board.entries.back().name = "..\\outside";
  std::vector<unsigned char> out = {1, 2, 3};
  EXPECT_EQ(WriteBoard(board, out), BoardError::BadName);
  EXPECT_EQ(out, (std::vector<unsigned char>{1, 2, 3}));
}

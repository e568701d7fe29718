// Board writing, the round trip through the reader, and the file-level header checks.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <stdlib.h>

#include "exchange/board_reader.h"
#include "exchange/board_writer.h"
#include "exchange/pack/pack.h"
#include "tests/native/board_test_util.h"

namespace {

namespace fs = std::filesystem;

std::string ProseText(std::size_t size) {
  static const std::string words =
      "The clipboard keeps what was copied last; a history keeps what was copied before that. ";
  std::string text;
  while (text.size() < size) text += words;
  text.resize(size);
  return text;
}

BoardEntry MakeEntry(int kind, bool checked, std::string name, const std::string& content, const std::string& thumb) {
  return BoardEntry{kind, checked, std::move(name), Bytes(content), Bytes(thumb)};
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "board-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    EXPECT_FALSE(path_.empty());
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  void Write(const std::string& name, const std::vector<unsigned char>& bytes) const {
    ASSERT_TRUE(CreateBoardItemFile(File(name), bytes));
  }

 private:
  fs::path path_;
};

TEST(BoardWriter, RoundTripKeepsEveryEntryInOrder) {
  Board board;
  board.itemLimit = 50;
  board.entries.push_back(MakeEntry(BoardKindText, true, "06122026-143005-123", ProseText(5000), "thumb-a"));
  board.entries.push_back(MakeEntry(BoardKindImage, false, "06122026-143004-7", "\x89PNG\r\n\x1a\npicture", "thumb-b"));
  board.entries.push_back(MakeEntry(BoardKindText, false, "06122026-143003-0", "x", ""));
  board.entries.push_back(MakeEntry(BoardKindText, true, "06122026-143002-99", "", "thumb-d"));
  board.entries.push_back(MakeEntry(BoardKindImage, true, "06122026-143001-5", "", ""));

  std::vector<unsigned char> bytes;
  ASSERT_EQ(WriteBoard(board, bytes), BoardError::None);
  Board read;
  const BoardReadResult result = ReadBoard(bytes.data(), bytes.size(), read);
  ASSERT_TRUE(result.Ok()) << BoardErrorText(result.error);
  EXPECT_EQ(read.itemLimit, 50);
  ASSERT_EQ(read.entries.size(), board.entries.size());
  for (std::size_t i = 0; i < board.entries.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(read.entries[i].kind, board.entries[i].kind);
    EXPECT_EQ(read.entries[i].checked, board.entries[i].checked);
    EXPECT_EQ(read.entries[i].name, board.entries[i].name);
    EXPECT_EQ(read.entries[i].content, board.entries[i].content);
    EXPECT_EQ(read.entries[i].thumbnail, board.entries[i].thumbnail);
  }
}

TEST(BoardWriter, OneUnpackedTextItemHasTheDocumentedLayout) {
  Board board;
  board.itemLimit = 20;
  board.entries.push_back(MakeEntry(BoardKindText, false, "06122026-143005-7", "x", "THUMB"));
  ASSERT_EQ(board.entries[0].name.size(), 17u);
  std::vector<unsigned char> bytes;
  ASSERT_EQ(WriteBoard(board, bytes), BoardError::None);

  const std::vector<unsigned char> expected = BoardBytes()
                                                  .Name("kepsilfilev1")
                                                  .Number(20)
                                                  .Number(1)
                                                  .Number(1)
                                                  .Number(0)
                                                  .Name("06122026-143005-7")
                                                  .Number(1)
                                                  .Number(0)
                                                  .Raw("x")
                                                  .Number(5)
                                                  .Raw("THUMB")
                                                  .bytes();
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(bytes.size(), 21u + 4 + 4 + 18 + 4 + 4 + 1 + 4 + 5);
}

TEST(BoardWriter, TextIsPackedOnlyWhenThatPays) {
  auto storedLengths = [](const std::string& text, int32_t& packed) {
    std::vector<unsigned char> out;
    AppendBoardText(out, Bytes(text));
    EXPECT_GE(out.size(), 8u);
    const int32_t length = static_cast<int32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
    packed = static_cast<int32_t>(out[4] | out[5] << 8 | out[6] << 16 | out[7] << 24);
    EXPECT_EQ(length, static_cast<int32_t>(text.size()));
    EXPECT_EQ(out.size(), 8u + (packed != 0 ? packed : length));
    return out;
  };
  int32_t packed = -1;
  storedLengths("x", packed);
  EXPECT_EQ(packed, 0) << "a 1-byte text cannot shrink";
  storedLengths("", packed);
  EXPECT_EQ(packed, 0);

  const std::string prose = ProseText(20000);
  const std::vector<unsigned char> out = storedLengths(prose, packed);
  ASSERT_GT(packed, 0);
  EXPECT_LT(packed, static_cast<int32_t>(prose.size()));
  // The stored block unpacks to exactly the text.
  const unsigned char* block = out.data() + 8;
  ASSERT_EQ(unpackedLength(block, static_cast<std::size_t>(packed)), prose.size());
  std::vector<unsigned char> text(prose.size());
  ASSERT_EQ(unpack(block, static_cast<std::size_t>(packed), text.data(), text.size()), prose.size());
  EXPECT_EQ(text, Bytes(prose));
}

TEST(BoardWriter, RefusesEntriesTheReaderWouldRefuse) {
  std::vector<unsigned char> out = {1, 2, 3};
  for (const char* name : {"..\\..\\evil", "C:\\x", "a/b", ""}) {
    EXPECT_EQ(AppendBoardEntry(out, MakeEntry(BoardKindText, false, name, "t", "")), BoardError::BadName) << name;
  }
  EXPECT_EQ(AppendBoardEntry(out, MakeEntry(2, false, "a", "t", "")), BoardError::BadKind);
  EXPECT_EQ(out, (std::vector<unsigned char>{1, 2, 3}));

  Board board;
  board.entries.push_back(MakeEntry(BoardKindText, false, "good", "t", ""));
  board.entries.push_back(MakeEntry(BoardKindText, false, "bad\\name", "t", ""));
  EXPECT_EQ(WriteBoard(board, out), BoardError::BadName);
  EXPECT_EQ(out.size(), 3u) << "a refused board writes nothing";
}

TEST(BoardFiles, HeaderCheckAndPngCheckReadOnlyTheFirstLine) {
  TempDir dir;
  dir.Write("zero.ksb", BoardBytes().Header(20, 0).bytes());
  dir.Write("crlf.ksb", Bytes(std::string("kepsilfilev1\r\n") + std::string(8, '\0')));
  dir.Write("lf.ksb", Bytes("kepsilfilev1\n"));
  dir.Write("upper.ksb", Bytes(std::string("KEPSILFILEV1\0", 13)));
  dir.Write("longer.ksb", Bytes(std::string("kepsilfilev12\0", 14)));
  dir.Write("short.ksb", Bytes("kepsilfile"));
  dir.Write("empty.ksb", {});
  EXPECT_EQ(IsBoardFile(dir.File("zero.ksb")), 1);
  EXPECT_EQ(IsBoardFile(dir.File("crlf.ksb")), 1);
  EXPECT_EQ(IsBoardFile(dir.File("lf.ksb")), 1);
  EXPECT_EQ(IsBoardFile(dir.File("upper.ksb")), 0);
  EXPECT_EQ(IsBoardFile(dir.File("longer.ksb")), 0);
  EXPECT_EQ(IsBoardFile(dir.File("short.ksb")), 0);
  EXPECT_EQ(IsBoardFile(dir.File("empty.ksb")), 0);
  EXPECT_EQ(IsBoardFile(dir.File("missing.ksb")), 0);

  dir.Write("png.bmp", Bytes(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
  dir.Write("bmp.bmp", Bytes(std::string("BM6\0\0\0\0\0PNG", 11)));
  dir.Write("late.txt", Bytes("a long first line that mentions PNG only at its end"));
  EXPECT_NE(FirstLineSaysPng(dir.File("png.bmp")), 0);
  EXPECT_EQ(FirstLineSaysPng(dir.File("bmp.bmp")), 0) << "PNG after the first zero byte does not count";
  EXPECT_NE(FirstLineSaysPng(dir.File("late.txt")), 0);
  EXPECT_EQ(FirstLineSaysPng(dir.File("missing.bmp")), 0);
}

TEST(BoardFiles, FileRoundTripAndItemFilesReplaceOldOnes) {
  TempDir dir;
  Board board;
  board.itemLimit = 7;
  board.entries.push_back(MakeEntry(BoardKindText, true, "a-1", ProseText(300), "t"));
  ASSERT_EQ(WriteBoardFile(dir.File("b.ksb"), board), BoardError::None);
  EXPECT_EQ(IsBoardFile(dir.File("b.ksb")), 1);
  Board read;
  ASSERT_TRUE(ReadBoardFile(dir.File("b.ksb"), read).Ok());
  EXPECT_EQ(read.entries.at(0).content, board.entries[0].content);
  EXPECT_EQ(ReadBoardFile(dir.File("missing.ksb"), read).error, BoardError::Unreadable);
  EXPECT_EQ(WriteBoardFile(dir.File("no-such-folder/b.ksb"), board), BoardError::CannotWrite);
  // Writing over an existing board replaces it whole.
  board.entries.clear();
  ASSERT_EQ(WriteBoardFile(dir.File("b.ksb"), board), BoardError::None);
  ASSERT_TRUE(ReadBoardFile(dir.File("b.ksb"), read).Ok());
  EXPECT_TRUE(read.entries.empty());

  dir.Write("item.txt", Bytes("a longer first version"));
  dir.Write("item.txt", Bytes("short"));
  std::FILE* file = std::fopen(dir.File("item.txt").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  char buffer[64];
  const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
  std::fclose(file);
  EXPECT_EQ(std::string(buffer, n), "short");
}

}  // namespace

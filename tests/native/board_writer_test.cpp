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
#include "tests/native/native_test_files.h"

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

ItemExtra Extra(ExtraKind kind, const std::string& bytes) { return ItemExtra{kind, Bytes(bytes)}; }

// A board as the program writes it once items keep extras: a Unicode text with its rich text and
// HTML, a picture with its transparent original, and items without extras between them.
Board BoardWithExtras() {
  const std::string greek = "\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1 \xF0\x9F\x98\x80";
  const std::string rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0 Arial;}\\f0 " + ProseText(3000) + "}";
  const std::string html = "Version:0.9\r\nStartHTML:0000000105\r\n<html><body>" + ProseText(4000) + "</body></html>";
  const std::vector<unsigned char> png =
      TempFolder::Read(std::string(KEPSIL_SOURCE_DIR) + "/tests/fuzz/corpus/png/interlaced_rgba.png");
  EXPECT_GT(png.size(), 100u);
  Board board;
  board.itemLimit = 40;
  board.entries.push_back(MakeEntry(BoardKindText, false, "06122026-143006-1", ProseText(100), "thumb-0"));
  board.entries.push_back(MakeEntry(BoardKindText, true, "06122026-143005-1", "?????????? ?", "thumb-1"));
  board.entries[1].extras = {Extra(ExtraKind::UnicodeText, greek), Extra(ExtraKind::RichText, rtf),
                             Extra(ExtraKind::Html, html)};
  board.entries.push_back(MakeEntry(BoardKindImage, false, "06122026-143004-1", "\x89PNG flat", "thumb-2"));
  board.entries[2].extras = {ItemExtra{ExtraKind::AlphaPicture, png}};
  board.entries.push_back(MakeEntry(BoardKindText, false, "06122026-143003-1", "x", ""));
  board.entries[3].extras = {Extra(ExtraKind::Html, "<b>x</b>")};
  return board;
}

// Reads a board as a reader that knows only the header and the entries would: it stops after the
// N entries and never looks further.
bool ReadOldLayout(const std::vector<unsigned char>& bytes, Board& board) {
  std::size_t at = 0;
  auto number = [&](int32_t& value) {
    if (bytes.size() - at < 4) return false;
    value = static_cast<int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24);
    at += 4;
    return true;
  };
  auto data = [&](std::size_t count, std::vector<unsigned char>& out) {
    if (bytes.size() - at < count) return false;
    out.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
    at += count;
    return true;
  };
  auto line = [&](std::string& out) {
    const auto end = std::find(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(), 0);
    if (end == bytes.end()) return false;
    out.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), end);
    at = static_cast<std::size_t>(end - bytes.begin()) + 1;
    return true;
  };
  std::string magic;
  int32_t count = 0;
  if (!line(magic) || magic != "kepsilfilev1" || !number(board.itemLimit) || !number(count)) return false;
  for (int32_t i = 0; i < count; ++i) {
    BoardEntry entry;
    int32_t checked = 0, length = 0, packed = 0;
    if (!number(entry.kind) || !number(checked) || !line(entry.name) || !number(length)) return false;
    entry.checked = checked != 0;
    if (entry.kind == BoardKindImage) {
      if (!data(static_cast<std::size_t>(length), entry.content)) return false;
    } else {
      std::vector<unsigned char> block;
      if (!number(packed) || !data(static_cast<std::size_t>(packed != 0 ? packed : length), block)) return false;
      entry.content.resize(static_cast<std::size_t>(length));
      if (packed == 0) {
        entry.content = block;
      } else if (unpack(block.data(), block.size(), entry.content.data(), entry.content.size()) != entry.content.size()) {
        return false;
      }
    }
    if (!number(length) || !data(static_cast<std::size_t>(length), entry.thumbnail)) return false;
    board.entries.push_back(std::move(entry));
  }
  return true;
}

bool ContainsTrailerLine(const std::vector<unsigned char>& bytes) {
  const std::string line("kepsilextras1", 14);  // with its 0x00
  return std::search(bytes.begin(), bytes.end(), line.begin(), line.end()) != bytes.end();
}

TEST(BoardExtras, RoundTripKeepsEveryExtraByteForByte) {
  const Board board = BoardWithExtras();
  std::vector<unsigned char> bytes;
  ASSERT_EQ(WriteBoard(board, bytes), BoardError::None);
  Board read;
  const BoardReadResult result = ReadBoard(bytes.data(), bytes.size(), read);
  ASSERT_TRUE(result.Ok()) << BoardErrorText(result.error) << " at " << result.offset;
  ASSERT_EQ(read.entries.size(), board.entries.size());
  for (std::size_t i = 0; i < board.entries.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(read.entries[i].content, board.entries[i].content);
    ASSERT_EQ(read.entries[i].extras.size(), board.entries[i].extras.size());
    for (std::size_t k = 0; k < board.entries[i].extras.size(); ++k) {
      EXPECT_EQ(read.entries[i].extras[k].kind, board.entries[i].extras[k].kind);
      EXPECT_EQ(read.entries[i].extras[k].bytes, board.entries[i].extras[k].bytes);
    }
  }
  std::vector<unsigned char> again;
  ASSERT_EQ(WriteBoard(read, again), BoardError::None);
  EXPECT_EQ(again, bytes);
  // The long rich text and HTML are packed; the picture is stored as it is, right after its
  // kind, length and a packed length of 0.
  std::size_t extrasBytes = 0;
  for (const BoardEntry& entry : board.entries) {
    for (const ItemExtra& extra : entry.extras) extrasBytes += extra.bytes.size();
  }
  EXPECT_LT(bytes.size(), extrasBytes);
  const std::vector<unsigned char>& png = board.entries[2].extras[0].bytes;
  std::vector<unsigned char> stored = BoardBytes().Number(4).Number(static_cast<int32_t>(png.size())).Number(0).Raw(png).bytes();
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), stored.begin(), stored.end()), bytes.end());
}

TEST(BoardExtras, AReaderOfTheOldLayoutStillReadsEveryEntry) {
  const Board board = BoardWithExtras();
  std::vector<unsigned char> bytes;
  ASSERT_EQ(WriteBoard(board, bytes), BoardError::None);
  ASSERT_TRUE(ContainsTrailerLine(bytes));
  Board old;
  ASSERT_TRUE(ReadOldLayout(bytes, old));
  EXPECT_EQ(old.itemLimit, board.itemLimit);
  ASSERT_EQ(old.entries.size(), board.entries.size());
  for (std::size_t i = 0; i < board.entries.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(old.entries[i].kind, board.entries[i].kind);
    EXPECT_EQ(old.entries[i].checked, board.entries[i].checked);
    EXPECT_EQ(old.entries[i].name, board.entries[i].name);
    EXPECT_EQ(old.entries[i].content, board.entries[i].content);
    EXPECT_EQ(old.entries[i].thumbnail, board.entries[i].thumbnail);
  }
  // Without extras the board is what it was before: the entries and nothing after them.
  Board plain = board;
  for (BoardEntry& entry : plain.entries) entry.extras.clear();
  std::vector<unsigned char> plainBytes;
  ASSERT_EQ(WriteBoard(plain, plainBytes), BoardError::None);
  EXPECT_FALSE(ContainsTrailerLine(plainBytes));
  EXPECT_TRUE(std::equal(plainBytes.begin(), plainBytes.end(), bytes.begin(), bytes.begin() + plainBytes.size()))
      << "the trailer only follows the entries";
}

TEST(BoardExtras, RefusesExtrasTheReaderWouldRefuse) {
  struct Case {
    const char* what;
    int kind;
    std::vector<ItemExtra> extras;
    BoardError error;
  };
  const Case cases[] = {
      {"a picture's original on a text", BoardKindText, {Extra(ExtraKind::AlphaPicture, "p")}, BoardError::BadExtra},
      {"rich text on a picture", BoardKindImage, {Extra(ExtraKind::RichText, "r")}, BoardError::BadExtra},
      {"a kind twice", BoardKindText, {Extra(ExtraKind::Html, "a"), Extra(ExtraKind::Html, "b")}, BoardError::BadExtra},
      {"an empty extra", BoardKindText, {Extra(ExtraKind::UnicodeText, "")}, BoardError::BadExtra},
      {"an unknown kind", BoardKindText, {Extra(static_cast<ExtraKind>(9), "u")}, BoardError::BadExtra},
      {"too large", BoardKindText, {ItemExtra{ExtraKind::Html, std::vector<unsigned char>(MaxExtraBytes + 1, 'h')}},
       BoardError::TooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Board board;
    board.entries.push_back(MakeEntry(c.kind, false, "a", "content", ""));
    board.entries[0].extras = c.extras;
    EXPECT_EQ(CheckBoardEntry(board.entries[0]), c.error);
    std::vector<unsigned char> out = {7};
    EXPECT_EQ(WriteBoard(board, out), c.error);
    EXPECT_EQ(out, std::vector<unsigned char>{7});
    // Dropping what cannot be written leaves an entry that can.
    KeepWritableExtras(board.entries[0]);
    EXPECT_EQ(CheckBoardEntry(board.entries[0]), BoardError::None);
    EXPECT_EQ(board.entries[0].extras.size(), c.extras.size() == 2 ? 1u : 0u);
  }
  const BoardEntry fine = [] {
    BoardEntry entry = MakeEntry(BoardKindImage, false, "b", "png", "");
    entry.extras = {ItemExtra{ExtraKind::AlphaPicture, std::vector<unsigned char>(MaxExtraBytes, 'p')}};
    return entry;
  }();
  EXPECT_EQ(CheckBoardEntry(fine), BoardError::None);
}

}  // namespace

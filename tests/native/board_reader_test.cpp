// The board reader accepts what the format allows and refuses damaged or hostile boards whole,
// before anything is sized from an unchecked number. Run under the sanitizers by scripts/test.
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/items_file.h"
#include "exchange/board_reader.h"
#include "exchange/board_writer.h"
#include "exchange/pack/pack.h"
#include "tests/native/board_test_util.h"

namespace {

BoardReadResult Read(const std::vector<unsigned char>& bytes, Board& board) {
  return ReadBoard(bytes.data(), bytes.size(), board);
}

BoardError ErrorOf(const std::vector<unsigned char>& bytes) {
  Board board;
  board.itemLimit = -77;  // a refused board must leave this alone
  const BoardReadResult result = Read(bytes, board);
  if (!result.Ok()) {
    EXPECT_EQ(board.itemLimit, -77);
    EXPECT_TRUE(board.entries.empty());
  }
  return result.error;
}

// A packed block of `text`, as the writer stores it.
std::vector<unsigned char> PackedBlock(const std::string& text) {
  std::vector<unsigned char> block(PackBound(text.size()));
  const std::size_t size = pack(reinterpret_cast<const unsigned char*>(text.data()), text.size(), block.data(),
                                block.size(), BoardPackLevel);
  EXPECT_GT(size, 0u);
  block.resize(size);
  return block;
}

std::vector<unsigned char> BoardWithPackedText(int32_t statedLength, const std::vector<unsigned char>& block) {
  return BoardBytes()
      .Header(20, 1)
      .Number(1)
      .Number(0)
      .Name("n")
      .Number(statedLength)
      .Number(static_cast<int32_t>(block.size()))
      .Raw(block)
      .Number(0)
      .bytes();
}

void SetU32(std::vector<unsigned char>& block, std::size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

TEST(BoardReader, HeaderLineEndsAtZeroCrLfOrLf) {
  Board board;
  const auto body = BoardBytes().Number(33).Number(1).Text("a", "hello", "th").bytes();
  for (const char* terminator : {"\0", "\r\n", "\n", "\r"}) {
    SCOPED_TRACE(terminator);
    std::vector<unsigned char> bytes = Bytes("kepsilfilev1");
    bytes.insert(bytes.end(), terminator, terminator + std::max<std::size_t>(1, std::strlen(terminator)));
    bytes.insert(bytes.end(), body.begin(), body.end());
    ASSERT_TRUE(Read(bytes, board).Ok());
    EXPECT_EQ(board.itemLimit, 33) << "the numbers follow the whole terminator";
    ASSERT_EQ(board.entries.size(), 1u);
    EXPECT_EQ(board.entries[0].content, Bytes("hello"));
  }
  // A name may end with CR LF as well: both bytes go.
  auto crlfName = BoardBytes().Header(1, 1).Number(1).Number(1).Raw("nm\r\n").Number(1).Number(0).Raw("t").Number(0);
  ASSERT_TRUE(Read(crlfName.bytes(), board).Ok());
  EXPECT_EQ(board.entries.at(0).name, "nm");
  EXPECT_TRUE(board.entries[0].checked);
}

TEST(BoardReader, RefusesWhatIsNotABoard) {
  EXPECT_EQ(ErrorOf(Bytes(std::string("KEPSILFILEV1\0", 13) + std::string(8, '\0'))), BoardError::NotABoard);
  EXPECT_EQ(ErrorOf(Bytes(std::string("kepsilfilev2\0", 13) + std::string(8, '\0'))), BoardError::NotABoard);
  EXPECT_EQ(ErrorOf(Bytes(std::string(" kepsilfilev1\0", 14) + std::string(8, '\0'))), BoardError::NotABoard);
  EXPECT_EQ(ErrorOf({}), BoardError::NotABoard);
}

TEST(BoardReader, EmptyBoardAndTrailingBytesAreAccepted) {
  Board board;
  board.entries.resize(3);
  ASSERT_TRUE(Read(BoardBytes().Header(5, 0).bytes(), board).Ok());
  EXPECT_EQ(board.itemLimit, 5);
  EXPECT_TRUE(board.entries.empty());
  ASSERT_TRUE(Read(BoardBytes().Header(5, 1).Image("i", "pic", "").Raw("trailing").bytes(), board).Ok());
  EXPECT_EQ(board.entries.at(0).content, Bytes("pic"));
}

TEST(BoardReader, EveryTruncationIsRefused) {
  Board board;
  board.itemLimit = 9;
  board.entries.push_back({BoardKindText, true, "t-1", Bytes(std::string(3000, 'a') + "tail"), Bytes("thumb")});
  board.entries.push_back({BoardKindImage, false, "i-2", Bytes("\x89PNG-data"), Bytes("th")});
  board.entries.push_back({BoardKindText, false, "t-3", Bytes("plain"), Bytes("x")});
  std::vector<unsigned char> bytes;
  ASSERT_EQ(WriteBoard(board, bytes), BoardError::None);
  ASSERT_EQ(ErrorOf(bytes), BoardError::None);
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    // An exact-size copy, so the sanitizers see any read past the end.
    const std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_NE(ErrorOf(cut), BoardError::None) << "cut at " << size;
  }
}

TEST(BoardReader, RefusesImpossibleCountsAndLengths) {
  const int32_t huge = 0x7FFFFFFF;
  // N = 2^31 - 1 with one real entry behind it.
  EXPECT_EQ(ErrorOf(BoardBytes().Header(20, huge).Text("a", "x", "").bytes()), BoardError::BadCount);
  EXPECT_EQ(ErrorOf(BoardBytes().Header(20, -1).bytes()), BoardError::BadCount);
  EXPECT_EQ(ErrorOf(BoardBytes().Header(20, 2).Text("a", "x", "").bytes()), BoardError::BadCount);

  auto entry = [](int32_t kind) { return BoardBytes().Header(20, 1).Number(kind).Number(0).Name("e"); };
  // Image length, text length, packed length, thumbnail length: negative or beyond the file.
  for (int32_t bad : {huge, -1, static_cast<int32_t>(0x80000000), 100}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(ErrorOf(entry(0).Number(bad).Raw("abc").Number(0).bytes()), BoardError::BadLength);
    EXPECT_EQ(ErrorOf(entry(1).Number(bad).Number(0).Raw("abc").Number(0).bytes()), BoardError::BadLength);
    EXPECT_EQ(ErrorOf(entry(1).Number(3).Number(bad).Raw("abc").Number(0).bytes()), BoardError::BadLength);
    EXPECT_EQ(ErrorOf(entry(0).Number(0).Number(bad).Raw("abc").bytes()), BoardError::BadLength);
  }
  EXPECT_EQ(ErrorOf(entry(1).Number(-5).Number(3).Raw("abc").Number(0).bytes()), BoardError::BadLength);
  EXPECT_EQ(ErrorOf(entry(2).Number(0).Number(0).bytes()), BoardError::BadKind);
  EXPECT_EQ(ErrorOf(entry(-1).Number(0).Number(0).bytes()), BoardError::BadKind);
}

TEST(BoardReader, PackedTextMustUnpackToExactlyItsLength) {
  const std::string text = std::string(2000, 'k') + "the end of a fairly repetitive text";
  const std::vector<unsigned char> block = PackedBlock(text);
  Board board;
  ASSERT_TRUE(Read(BoardWithPackedText(static_cast<int32_t>(text.size()), block), board).Ok());
  EXPECT_EQ(board.entries.at(0).content, Bytes(text));

  const int32_t n = static_cast<int32_t>(text.size());
  // The entry and the block disagree about the length.
  EXPECT_EQ(ErrorOf(BoardWithPackedText(n + 1, block)), BoardError::BadPackedText);
  EXPECT_EQ(ErrorOf(BoardWithPackedText(n - 1, block)), BoardError::BadPackedText);
  EXPECT_EQ(ErrorOf(BoardWithPackedText(0, block)), BoardError::BadPackedText);
  // Both claim more than the stream produces (the checksum still matches what it produces).
  std::vector<unsigned char> longer = block;
  SetU32(longer, 2, static_cast<uint32_t>(n + 5));
  EXPECT_EQ(ErrorOf(BoardWithPackedText(n + 5, longer)), BoardError::BadPackedText);
  // Both claim less than the stream produces.
  std::vector<unsigned char> shorter = block;
  SetU32(shorter, 2, static_cast<uint32_t>(n - 5));
  EXPECT_EQ(ErrorOf(BoardWithPackedText(n - 5, shorter)), BoardError::BadPackedText);
  // A checksum that does not match.
  std::vector<unsigned char> wrongSum = block;
  wrongSum[6] ^= 0x01;
  EXPECT_EQ(ErrorOf(BoardWithPackedText(n, wrongSum)), BoardError::BadPackedText);
  // Not a packed block at all.
  EXPECT_EQ(ErrorOf(BoardWithPackedText(3, Bytes("abcdefghijklmn"))), BoardError::BadPackedText);
  // A tiny block that claims 2 GiB is refused before anything is sized from it: its codes do not
  // write that much.
  std::vector<unsigned char> absurd = block;
  SetU32(absurd, 2, 0x7FFFFFFF);
  EXPECT_EQ(ErrorOf(BoardWithPackedText(0x7FFFFFFF, absurd)), BoardError::BadPackedText);
}

// A text far larger than its block (a run of one letter) still unpacks whole.
TEST(BoardReader, HighlyPackedTextsUnpackWhole) {
  const std::string text = std::string(17u << 20, 'z') + "end";
  Board board;
  ASSERT_TRUE(Read(BoardWithPackedText(static_cast<int32_t>(text.size()), PackedBlock(text)), board).Ok());
  EXPECT_TRUE(board.entries.at(0).content == Bytes(text));
}

TEST(BoardReader, RefusesNamesThatCouldLeaveTheWorkingFolder) {
  const std::string longName(5000, 'n');
  for (const std::string& name :
       {std::string("..\\..\\evil"), std::string("C:\\x"), std::string("a/b"), std::string("a\\b"),
        std::string(".."), std::string("C:x"), std::string("CON"), std::string("nul.txt"), std::string("lpt1"),
        std::string("dot."), std::string("tab\tname"), std::string("q?"), longName}) {
    SCOPED_TRACE(name.substr(0, 20));
    EXPECT_EQ(ErrorOf(BoardBytes().Header(20, 1).Text(name, "x", "").bytes()), BoardError::BadName);
  }
  EXPECT_EQ(ErrorOf(BoardBytes().Header(20, 1).Text("", "x", "").bytes()), BoardError::BadName);
  Board board;
  const BoardReadResult result = Read(BoardBytes().Header(20, 1).Text("a/b", "x", "").bytes(), board);
  EXPECT_EQ(result.entryIndex, 0);
  EXPECT_EQ(result.offset, 21u + 8u) << "the refusal points at the name itself";
  // Names a Windows user may well have: kept.
  for (const char* name : {"06122026-143005-7", "notes 1", "conference", "Stra\xDF" "e", "a.b"}) {
    EXPECT_EQ(ErrorOf(BoardBytes().Header(20, 1).Text(name, "x", "").bytes()), BoardError::None) << name;
  }
  EXPECT_EQ(ErrorOf(BoardBytes().Header(20, 1).Text(std::string(MaxItemNameLength, 'n'), "x", "").bytes()),
            BoardError::None);
}

// Names resolve to the millisecond only, so a board may hold one twice (files loaded at once). The
// later entry is read under a fresh name by the naming rule; names that differ in letter case only
// would share files and count as the same.
TEST(BoardReader, RepeatedNamesAreReadUnderFreshNames) {
  const auto namesOf = [](const BoardBytes& bytes, int expectRenamed) {
    Board board;
    const BoardReadResult result = Read(bytes.bytes(), board);
    EXPECT_TRUE(result.Ok()) << BoardErrorText(result.error);
    EXPECT_EQ(result.renamed, expectRenamed);
    std::vector<std::string> names;
    for (const BoardEntry& entry : board.entries) names.push_back(entry.name);
    return names;
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(namesOf(BoardBytes().Header(20, 2).Text("Same", "x", "").Image("same", "p", ""), 1), (Names{"Same", "same-1"}));
  EXPECT_EQ(namesOf(BoardBytes().Header(20, 2).Text("\xC4rger", "x", "").Text("\xE4rger", "y", ""), 1),
            (Names{"\xC4rger", "\xE4rger-1"}));
  EXPECT_EQ(namesOf(BoardBytes().Header(20, 2).Text("a1", "x", "").Text("A2", "y", ""), 0), (Names{"a1", "A2"}));
  // A fresh name never meets a name of the board, before or after it.
  EXPECT_EQ(namesOf(BoardBytes()
                        .Header(20, 4)
                        .Text("01012026-080000-5", "x", "")
                        .Text("01012026-080000-5-1", "y", "")
                        .Text("01012026-080000-5", "z", "")
                        .Text("01012026-080000-5-2", "w", ""),
                    2),
            (Names{"01012026-080000-5", "01012026-080000-5-1", "01012026-080000-5-2", "01012026-080000-5-2-1"}));
  // The longest name there may be still gets a fresh name that an item may have.
  const std::string longest(MaxItemNameLength, 'n');
  const Names fresh = namesOf(BoardBytes().Header(20, 2).Text(longest, "x", "").Text(longest, "y", ""), 1);
  ASSERT_EQ(fresh.size(), 2u);
  EXPECT_TRUE(IsSafeItemName(fresh[1])) << fresh[1];
  EXPECT_NE(fresh[1], longest);
  // Everything else about the entry stays as the board has it.
  Board board;
  ASSERT_TRUE(Read(BoardBytes().Header(20, 2).Text("t", "one", "a").Text("t", "two", "b", 1).bytes(), board).Ok());
  EXPECT_EQ(board.entries.at(1).content, Bytes("two"));
  EXPECT_EQ(board.entries[1].thumbnail, Bytes("b"));
  EXPECT_TRUE(board.entries[1].checked);
}

// A count is only a claim: the reader holds memory for the entries that are there, not for the ones
// announced. 40 GiB of untouched address space stands in for a board with the bytes that 2^31 - 1
// entries need, of which only the first is a real entry; the zeros after it are an empty name.
TEST(BoardReader, HoldsMemoryForTheEntriesThereNotForTheAnnouncedCount) {
  const std::size_t size = std::size_t{40} << 30;
  void* map = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (map == MAP_FAILED) GTEST_SKIP() << "no 40 GiB of address space";
  const auto head = BoardBytes().Header(20, 0x7FFFFFFF).Text("a", "x", "").bytes();
  std::memcpy(map, head.data(), head.size());
  Board board;
  const BoardReadResult result = ReadBoard(static_cast<const unsigned char*>(map), size, board);
  munmap(map, size);
  EXPECT_EQ(result.error, BoardError::BadName) << BoardErrorText(result.error);
  EXPECT_EQ(result.entryIndex, 1);
}

// The writer writes a board of any number of items, so the reader reads it back: a history of a
// hundred thousand items whose files went missing (tiny entries) is no longer refused.
TEST(BoardReader, ABoardOfManyTinyEntriesReadsBack) {
  Board many;
  many.itemLimit = 100000;
  for (int i = 0; i < 100000; ++i) many.entries.push_back({BoardKindImage, false, "e" + std::to_string(i), {}, {}});
  std::vector<unsigned char> bytes;
  ASSERT_EQ(WriteBoard(many, bytes), BoardError::None);
  Board board;
  ASSERT_TRUE(Read(bytes, board).Ok());
  EXPECT_EQ(board.entries.size(), 100000u);
}

// Gives the board a few bytes at a time, as a slow file might.
class TrickleSource : public BoardSource {
 public:
  explicit TrickleSource(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t Read(unsigned char* to, std::size_t count) override {
    const std::size_t n = std::min({count, bytes_.size() - position_, std::size_t{4093}});
    std::memcpy(to, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }

 private:
  const std::vector<unsigned char>& bytes_;
  std::size_t position_ = 0;
};

// Counts what it is given, and stops the reading at the entry it is told to.
class CountingReceiver : public BoardReceiver {
 public:
  explicit CountingReceiver(std::size_t refuseAt = SIZE_MAX) : refuseAt_(refuseAt) {}
  void Header(int32_t, std::size_t) override {}
  bool Entry(std::size_t index, BoardEntry& entry) override {
    if (index == refuseAt_) return false;
    entries.push_back(std::move(entry));
    return true;
  }
  bool Extras(std::size_t index, std::vector<ItemExtra>& extras) override {
    entries.at(index).extras = std::move(extras);
    return true;
  }
  std::vector<BoardEntry> entries;

 private:
  std::size_t refuseAt_;
};

// The reader keeps a small buffer over the file: names, numbers and blocks that straddle its end
// (or the source's short reads) read the same as from memory.
TEST(BoardReader, ReadingInPiecesGivesTheBoardAsReadWhole) {
  Board board;
  board.itemLimit = 300;
  for (int i = 0; i < 300; ++i) {
    const std::size_t size = i % 50 == 0 ? 300000 + static_cast<std::size_t>(i) : static_cast<std::size_t>(i * 37);
    std::string text(size, static_cast<char>('a' + i % 26));
    for (std::size_t k = 0; k < text.size(); k += 97) text[k] = static_cast<char>('0' + (k + i) % 10);
    BoardEntry entry{i % 3 ? BoardKindText : BoardKindImage, i % 2 == 0, "entry-" + std::to_string(i), Bytes(text),
                     Bytes(std::string(static_cast<std::size_t>(i % 5), 't'))};
    if (i % 7 == 1 && entry.kind == BoardKindText) entry.extras.push_back({ExtraKind::Html, Bytes("<b>" + text + "</b>")});
    board.entries.push_back(std::move(entry));
  }
  std::vector<unsigned char> bytes;
  ASSERT_EQ(WriteBoard(board, bytes), BoardError::None);
  ASSERT_GT(bytes.size(), 1u << 20) << "larger than the reader's buffer";
  Board whole;
  ASSERT_TRUE(Read(bytes, whole).Ok());
  TrickleSource source(bytes);
  CountingReceiver pieces;
  ASSERT_TRUE(ReadBoard(source, pieces).Ok());
  ASSERT_EQ(pieces.entries.size(), whole.entries.size());
  for (std::size_t i = 0; i < whole.entries.size(); ++i) {
    EXPECT_EQ(pieces.entries[i].name, whole.entries[i].name);
    EXPECT_TRUE(pieces.entries[i].content == whole.entries[i].content) << i;
    EXPECT_EQ(pieces.entries[i].thumbnail, whole.entries[i].thumbnail) << i;
    EXPECT_EQ(pieces.entries[i].extras.size(), whole.entries[i].extras.size()) << i;
  }
  // An entry the receiver cannot keep (a full disk) stops the reading there.
  TrickleSource again(bytes);
  CountingReceiver full(120);
  const BoardReadResult stopped = ReadBoard(again, full);
  EXPECT_EQ(stopped.error, BoardError::CannotWrite);
  EXPECT_EQ(stopped.entryIndex, 120);
  EXPECT_EQ(full.entries.size(), 120u);
}

// Three entries: a text, a picture and a text, followed by whatever trailer a test appends.
BoardBytes BoardBeforeTrailer() { return BoardBytes().Header(20, 3).Text("t", "hello", "").Image("i", "pic", "").Text("u", "x", ""); }

TEST(BoardReader, ReadsTheExtrasTrailerAndIgnoresWhatIsNotOne) {
  const std::string html = "Version:0.9\r\n" + std::string(3000, 'h') + "<b>end</b>";
  const std::vector<unsigned char> block = PackedBlock(html);
  const auto trailer = BoardBeforeTrailer()
                           .ExtrasStart(2)
                           .Record(0, 2)
                           .Extra(2, "{\\rtf1 x}")
                           .PackedExtra(3, static_cast<int32_t>(html.size()), block)
                           .Record(1, 3)
                           .Extra(4, "\x89PNG alpha")
                           .Extra(5, "pinned")
                           .Extra(6, "mspaint.exe")
                           .Raw("bytes after the trailer")
                           .bytes();
  Board board;
  ASSERT_TRUE(Read(trailer, board).Ok());
  ASSERT_EQ(board.entries.size(), 3u);
  ASSERT_EQ(board.entries[0].extras.size(), 2u);
  EXPECT_EQ(board.entries[0].extras[0].kind, ExtraKind::RichText);
  EXPECT_EQ(board.entries[0].extras[0].bytes, Bytes("{\\rtf1 x}"));
  EXPECT_EQ(board.entries[0].extras[1].kind, ExtraKind::Html);
  EXPECT_EQ(board.entries[0].extras[1].bytes, Bytes(html));
  // A picture keeps its pin and the program it came from as a text does.
  ASSERT_EQ(board.entries[1].extras.size(), 3u);
  EXPECT_EQ(board.entries[1].extras[0].kind, ExtraKind::AlphaPicture);
  EXPECT_EQ(board.entries[1].extras[1].kind, ExtraKind::Pin);
  EXPECT_EQ(board.entries[1].extras[2].bytes, Bytes("mspaint.exe"));
  EXPECT_TRUE(board.entries[2].extras.empty());

  // After the entries, only the exact line starts a trailer; anything else is ignored as before.
  for (const char* after : {"kepsilextras1\n", "kepsilextras2", "kepsilextras", "KEPSILEXTRAS1", "junk"}) {
    SCOPED_TRACE(after);
    auto bytes = BoardBeforeTrailer().Raw(after).Raw(std::string(1, '\0')).Number(1).Record(0, 1).Extra(1, "u").bytes();
    ASSERT_TRUE(Read(bytes, board).Ok());
    EXPECT_TRUE(board.entries.at(0).extras.empty());
  }
  ASSERT_TRUE(Read(BoardBeforeTrailer().ExtrasStart(0).bytes(), board).Ok());
  EXPECT_EQ(board.entries.size(), 3u);
}

TEST(BoardReader, RefusesADamagedTrailerWhole) {
  const std::vector<unsigned char> block = PackedBlock(std::string(500, 'r') + "tail");
  const int32_t n = 504;
  struct Case {
    const char* what;
    BoardBytes trailer;
    BoardError error;
  };
  const Case cases[] = {
      {"count cut short", BoardBytes().Name("kepsilextras1").Raw("\x01\x00"), BoardError::Truncated},
      {"negative count", BoardBytes().ExtrasStart(-1), BoardError::BadCount},
      {"more records than entries", BoardBytes().ExtrasStart(4).Record(0, 1).Extra(1, std::string(200, 'u')),
       BoardError::BadCount},
      {"more records than bytes", BoardBytes().ExtrasStart(2).Record(0, 1).Extra(1, "u"), BoardError::BadCount},
      {"record cut short", BoardBytes().ExtrasStart(1).Record(0, 2).Extra(1, "uuuuuuuu").Number(2), BoardError::Truncated},
      {"index beyond the entries", BoardBytes().ExtrasStart(1).Record(3, 1).Extra(1, "u"), BoardError::BadExtra},
      {"negative index", BoardBytes().ExtrasStart(1).Record(-1, 1).Extra(1, "u"), BoardError::BadExtra},
      {"index repeated", BoardBytes().ExtrasStart(2).Record(0, 1).Extra(1, "u").Record(0, 1).Extra(2, "r"),
       BoardError::BadExtra},
      {"index decreasing", BoardBytes().ExtrasStart(2).Record(2, 1).Extra(1, "u").Record(0, 1).Extra(1, "v"),
       BoardError::BadExtra},
      {"no extras", BoardBytes().ExtrasStart(1).Record(0, 0).Raw(std::string(13, 'z')), BoardError::BadExtra},
      {"seven extras", BoardBytes().ExtrasStart(1).Record(0, 7).Extra(1, "u"), BoardError::BadExtra},
      {"unknown kind 0", BoardBytes().ExtrasStart(1).Record(0, 1).Extra(0, "u"), BoardError::BadExtra},
      {"unknown kind 7", BoardBytes().ExtrasStart(1).Record(0, 1).Extra(7, "u"), BoardError::BadExtra},
      {"picture on a text", BoardBytes().ExtrasStart(1).Record(0, 1).Extra(4, "p"), BoardError::BadExtra},
      {"rich text on a picture", BoardBytes().ExtrasStart(1).Record(1, 1).Extra(2, "r"), BoardError::BadExtra},
      {"kind twice", BoardBytes().ExtrasStart(1).Record(0, 2).Extra(3, "h").Extra(3, "h"), BoardError::BadExtra},
      {"empty extra", BoardBytes().ExtrasStart(1).Record(0, 1).Extra(1, "").Raw("pad"), BoardError::BadExtra},
      {"length beyond the file",
       BoardBytes().ExtrasStart(1).Record(0, 1).Number(1).Number(100).Number(0).Raw("abcdefghij"), BoardError::BadLength},
      {"negative length", BoardBytes().ExtrasStart(1).Record(0, 1).Number(1).Number(-3).Number(0).Raw("abc"),
       BoardError::BadLength},
      {"packed length beyond the file",
       BoardBytes().ExtrasStart(1).Record(0, 1).Number(1).Number(3).Number(100).Raw("abcdefghij"), BoardError::BadLength},
      {"larger than an item keeps",
       BoardBytes().ExtrasStart(1).Record(0, 1).PackedExtra(2, static_cast<int32_t>(MaxExtraBytes) + 1, block),
       BoardError::TooLarge},
      {"packed block longer than stated", BoardBytes().ExtrasStart(1).Record(0, 1).PackedExtra(2, n - 1, block),
       BoardError::BadPackedText},
      {"packed block shorter than stated", BoardBytes().ExtrasStart(1).Record(0, 1).PackedExtra(2, n + 1, block),
       BoardError::BadPackedText},
      {"not a packed block", BoardBytes().ExtrasStart(1).Record(0, 1).PackedExtra(2, 3, Bytes("abcdefghijklmn")),
       BoardError::BadPackedText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ErrorOf(BoardBeforeTrailer().Raw(c.trailer.bytes()).bytes()), c.error);
  }
  // The refusal names the entry and points at the field.
  Board board;
  const auto before = BoardBeforeTrailer().bytes();
  const auto wrongKind = BoardBeforeTrailer().ExtrasStart(2).Record(0, 1).Extra(1, "u").Record(2, 1).Extra(4, "p").bytes();
  const BoardReadResult result = Read(wrongKind, board);
  EXPECT_EQ(result.error, BoardError::BadExtra);
  EXPECT_EQ(result.entryIndex, 2);
  EXPECT_EQ(result.offset, before.size() + 14 + 4 + 8 + 13 + 8) << "at the picture's kind";
  const BoardReadResult badIndex = Read(BoardBeforeTrailer().ExtrasStart(1).Record(7, 1).Extra(1, "u").bytes(), board);
  EXPECT_EQ(badIndex.entryIndex, -1);
  EXPECT_EQ(badIndex.offset, before.size() + 14 + 4);
}

TEST(BoardReader, EveryCutInsideTheTrailerIsRefused) {
  const auto entries = BoardBeforeTrailer().bytes();
  const auto bytes = BoardBeforeTrailer()
                         .ExtrasStart(2)
                         .Record(0, 3)
                         .Extra(1, "unicode")
                         .Extra(2, "rtf")
                         .PackedExtra(3, 504, PackedBlock(std::string(500, 'h') + "html"))
                         .Record(1, 1)
                         .Extra(4, "png")
                         .bytes();
  ASSERT_EQ(ErrorOf(bytes), BoardError::None);
  for (std::size_t size = entries.size(); size < bytes.size(); ++size) {
    const std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    // A cut inside the line leaves bytes that are no trailer, which are ignored.
    const bool lineWhole = size >= entries.size() + 14;
    EXPECT_EQ(ErrorOf(cut) != BoardError::None, lineWhole) << "cut at " << size;
  }
}

// Each record of the trailer is handed on as it is read: tiny extras on every entry read back too.
TEST(BoardReader, TinyExtrasOnEveryEntryReadBack) {
  constexpr int Count = 30000;
  BoardBytes withExtras;
  withExtras.Header(20, Count);
  for (int i = 0; i < Count; ++i) withExtras.Text("e" + std::to_string(i), "", "");
  withExtras.ExtrasStart(Count);
  for (int i = 0; i < Count; ++i) withExtras.Record(i, 3).Extra(1, "u").Extra(2, "r").Extra(3, "h");
  Board board;
  ASSERT_TRUE(Read(withExtras.bytes(), board).Ok());
  EXPECT_EQ(board.entries.at(Count - 1).extras.size(), 3u);
}

}  // namespace

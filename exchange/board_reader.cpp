#include "exchange/board_reader.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <new>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "core/file_bytes.h"
#include "exchange/board_limits.h"
#include "exchange/pack/pack.h"
#include "store/item_name.h"
#include "store/items_file.h"

namespace {

// kind, checked, a one-character name with its terminator, the shortest content block (an image
// length) and the thumbnail length.
constexpr std::uint64_t MinEntrySize = 4 + 4 + 2 + 4 + 4;
// The trailer's smallest record: index, count and one extra (kind, T, P and one byte).
constexpr std::uint64_t MinExtrasRecordSize = 4 + 4 + 4 + 4 + 4 + 1;
// A fresh name for a repeated one takes a dash and a counter: the name is cut to leave them room.
constexpr std::size_t FreshNameRoom = 12;

// Windows file names ignore case, so two names that differ only in case share files. Names are
// code page 1252, whose accented letters have case too.
struct CaseInsensitiveLess {
  bool operator()(std::string_view a, std::string_view b) const {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
      const int ca = Fold(static_cast<unsigned char>(a[i]));
      const int cb = Fold(static_cast<unsigned char>(b[i]));
      if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
  }
  static int Fold(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    switch (c) {
      case 0x9A: return 0x8A;  // s caron
      case 0x9C: return 0x8C;  // oe
      case 0x9E: return 0x8E;  // z caron
      case 0xFF: return 0x9F;  // y diaeresis
      default: return c;
    }
  }
};

class BoardParser {
 public:
  BoardParser(BoardSource& source, BoardReceiver& receiver)
      : input_(source), receiver_(receiver), between_([&receiver] { receiver.Between(); }) {}

  BoardReadResult Parse();

 private:
  bool Fail(BoardError error) {
    if (result_.error == BoardError::None) {
      // A source that stopped giving bytes it said it had is no damaged board but a failed read.
      result_.error = input_.Failed() ? BoardError::Unreadable : error;
      result_.offset = fieldStart_;
    }
    return false;
  }
  bool Number(int32_t& value) {
    fieldStart_ = input_.Position();
    return input_.Number(value) || Fail(BoardError::Truncated);
  }
  // A length field: not negative and not beyond the bytes that remain after it.
  bool Length(int32_t& value) {
    if (!Number(value)) return false;
    if (value < 0 || static_cast<std::uint64_t>(value) > input_.Remaining()) return Fail(BoardError::BadLength);
    return true;
  }
  bool Bytes(std::size_t count, std::vector<unsigned char>& out) {
    fieldStart_ = input_.Position();
    return input_.Data(count, out, between_) || Fail(BoardError::Truncated);
  }

  bool Header(std::size_t& count);
  bool Entry(std::size_t index);
  bool Name(std::string& name);
  bool TextContent(std::vector<unsigned char>& text);
  bool PackedText(int32_t textLength, int32_t packedLength, std::vector<unsigned char>& text);
  bool Extras();
  bool ExtrasRecord(int32_t& lastIndex);
  bool Extra(int32_t entryKind, std::vector<ItemExtra>& extras, unsigned& kindsSeen);
  bool ExtraContent(std::vector<unsigned char>& bytes);

  BoardInput input_;
  BoardReceiver& receiver_;
  std::function<void()> between_;
  BoardReadResult result_;
  std::set<std::string, CaseInsensitiveLess> names_;
  std::vector<unsigned char> kinds_;  // each entry's kind, for the extras that follow them all
  std::vector<unsigned char> block_;  // a packed block, kept between entries to be reused
  std::uint64_t fieldStart_ = 0;      // where the field being read begins, for the refusal's offset
};

BoardReadResult BoardParser::Parse() {
  std::size_t count = 0;
  if (Header(count)) {
    for (std::size_t i = 0; i < count; ++i) {
      result_.entryIndex = static_cast<int>(i);
      if (!Entry(i)) break;
      receiver_.Between();
    }
  }
  if (result_.Ok()) {
    result_.entryIndex = -1;
    Extras();
  }
  if (result_.Ok()) result_.entryIndex = -1;
  return result_;
}

bool BoardParser::Header(std::size_t& count) {
  std::string magic;
  fieldStart_ = 0;
  // One byte more than the magic tells a longer first line apart.
  const LineRead line = input_.Line(magic, BoardMagic.size() + 1);
  if (line == LineRead::Overlong || magic != BoardMagic) return Fail(BoardError::NotABoard);
  int32_t itemLimit = 0;
  int32_t announced = 0;
  if (!Number(itemLimit) || !Number(announced)) return false;
  // Every entry takes at least MinEntrySize bytes. Nothing is sized from the count.
  if (announced < 0 || static_cast<std::uint64_t>(announced) > input_.Remaining() / MinEntrySize) {
    return Fail(BoardError::BadCount);
  }
  count = static_cast<std::size_t>(announced);
  receiver_.Header(itemLimit, count);
  return true;
}

bool BoardParser::Entry(std::size_t index) {
  BoardEntry entry;
  int32_t kind = 0;
  int32_t checked = 0;
  if (!Number(kind) || !Number(checked)) return false;
  if (kind != BoardKindImage && kind != BoardKindText) return Fail(BoardError::BadKind);
  entry.kind = kind;
  entry.checked = checked != 0;
  if (!Name(entry.name)) return false;
  if (kind == BoardKindImage) {
    int32_t pictureLength = 0;
    if (!Length(pictureLength) || !Bytes(static_cast<std::size_t>(pictureLength), entry.content)) return false;
  } else if (!TextContent(entry.content)) {
    return false;
  }
  int32_t thumbnailLength = 0;
  if (!Length(thumbnailLength) || !Bytes(static_cast<std::size_t>(thumbnailLength), entry.thumbnail)) return false;
  kinds_.push_back(static_cast<unsigned char>(kind));
  return receiver_.Entry(index, entry) || Fail(BoardError::CannotWrite);
}

bool BoardParser::Name(std::string& name) {
  fieldStart_ = input_.Position();
  switch (input_.Line(name, MaxItemNameLength)) {
    case LineRead::Unterminated: return Fail(BoardError::Truncated);
    case LineRead::Overlong: return Fail(BoardError::BadName);
    case LineRead::Ok: break;
  }
  if (!IsSafeItemName(name)) return Fail(BoardError::BadName);
  if (names_.count(name)) {
    // Names resolve to the millisecond only: a board may hold two of one name. The later one
    // is the one renamed, as a new item of that name would be.
    std::string base = name;
    if (base.size() > MaxItemNameLength - FreshNameRoom) base.resize(MaxItemNameLength - FreshNameRoom);
    name = UniqueItemName(base, [this](const std::string& candidate) {
      return names_.count(candidate) != 0 || !IsSafeItemName(candidate);
    });
    ++result_.renamed;
  }
  names_.insert(name);
  return true;
}

bool BoardParser::TextContent(std::vector<unsigned char>& text) {
  int32_t textLength = 0;
  int32_t packedLength = 0;
  if (!Number(textLength) || !Number(packedLength)) return false;
  if (textLength < 0 || packedLength < 0) return Fail(BoardError::BadLength);
  if (packedLength == 0) {
    if (static_cast<std::uint64_t>(textLength) > input_.Remaining()) return Fail(BoardError::BadLength);
    return Bytes(static_cast<std::size_t>(textLength), text);
  }
  return PackedText(textLength, packedLength, text);
}

bool BoardParser::PackedText(int32_t textLength, int32_t packedLength, std::vector<unsigned char>& text) {
  fieldStart_ = input_.Position();
  if (static_cast<std::uint64_t>(packedLength) > input_.Remaining()) return Fail(BoardError::BadLength);
  const std::uint64_t blockStart = fieldStart_;
  if (!Bytes(static_cast<std::size_t>(packedLength), block_)) return false;
  fieldStart_ = blockStart;
  // The block states its own length; it must be the entry's before any memory is sized from it.
  const std::size_t length = static_cast<std::size_t>(textLength);
  // The codes must write exactly that length (followed without writing): a few bytes that claim
  // 2 GiB never have 2 GiB sized for them.
  if (length == 0 || ProvenUnpackedLength(block_.data(), block_.size()) != length) return Fail(BoardError::BadPackedText);
  text.clear();
  text.resize(length);
  if (unpack(block_.data(), block_.size(), text.data(), text.size()) != length) return Fail(BoardError::BadPackedText);
  // A large block is not kept for the next entry, which may well be small.
  if (block_.capacity() > (1u << 20)) std::vector<unsigned char>().swap(block_);
  return true;
}

bool BoardParser::Extras() {
  constexpr std::size_t MagicLineSize = BoardExtrasMagic.size() + 1;
  fieldStart_ = input_.Position();
  unsigned char line[MagicLineSize] = {};
  std::copy_n(BoardExtrasMagic.data(), BoardExtrasMagic.size(), line);
  // Anything else after the entries is ignored, as it always was.
  if (!input_.NextBytesAre(line, MagicLineSize)) return input_.Failed() ? Fail(BoardError::Unreadable) : true;
  input_.Skip(MagicLineSize);
  int32_t count = 0;
  if (!Number(count)) return false;
  if (count < 0 || static_cast<std::size_t>(count) > kinds_.size() ||
      static_cast<std::uint64_t>(count) > input_.Remaining() / MinExtrasRecordSize) {
    return Fail(BoardError::BadCount);
  }
  int32_t lastIndex = -1;
  for (int32_t i = 0; i < count; ++i) {
    result_.entryIndex = -1;
    if (!ExtrasRecord(lastIndex)) return false;
    receiver_.Between();
  }
  result_.entryIndex = -1;
  return true;
}

bool BoardParser::ExtrasRecord(int32_t& lastIndex) {
  int32_t index = 0;
  if (!Number(index)) return false;
  if (index <= lastIndex || static_cast<std::size_t>(index) >= kinds_.size()) return Fail(BoardError::BadExtra);
  lastIndex = index;
  result_.entryIndex = index;
  int32_t count = 0;
  if (!Number(count)) return false;
  if (count < 1 || count > BoardMaxExtrasPerEntry) return Fail(BoardError::BadExtra);
  std::vector<ItemExtra> extras;
  extras.reserve(static_cast<std::size_t>(count));
  unsigned kindsSeen = 0;
  for (int32_t k = 0; k < count; ++k) {
    if (!Extra(kinds_[static_cast<std::size_t>(index)], extras, kindsSeen)) return false;
  }
  return receiver_.Extras(static_cast<std::size_t>(index), extras) || Fail(BoardError::CannotWrite);
}

bool BoardParser::Extra(int32_t entryKind, std::vector<ItemExtra>& extras, unsigned& kindsSeen) {
  int32_t number = 0;
  ExtraKind kind;
  if (!Number(number)) return false;
  if (!ExtraKindFromNumber(number, kind) || !ExtraBelongsTo(kind, entryKind)) return Fail(BoardError::BadExtra);
  const unsigned bit = 1u << static_cast<unsigned>(number);
  if (kindsSeen & bit) return Fail(BoardError::BadExtra);
  kindsSeen |= bit;
  ItemExtra& extra = extras.emplace_back();
  extra.kind = kind;
  return ExtraContent(extra.bytes);
}

// A block like a text's, but never empty and never larger than an item may keep.
bool BoardParser::ExtraContent(std::vector<unsigned char>& bytes) {
  int32_t length = 0;
  int32_t packedLength = 0;
  if (!Number(length) || !Number(packedLength)) return false;
  if (length < 0 || packedLength < 0) return Fail(BoardError::BadLength);
  if (length == 0) return Fail(BoardError::BadExtra);
  if (static_cast<std::size_t>(length) > MaxExtraBytes) return Fail(BoardError::TooLarge);
  if (packedLength == 0) {
    if (static_cast<std::uint64_t>(length) > input_.Remaining()) return Fail(BoardError::BadLength);
    return Bytes(static_cast<std::size_t>(length), bytes);
  }
  return PackedText(length, packedLength, bytes);
}

// Keeps every entry in memory, for the callers that want the board whole.
class WholeBoard : public BoardReceiver {
 public:
  void Header(int32_t itemLimit, std::size_t) override { board.itemLimit = itemLimit; }
  bool Entry(std::size_t, BoardEntry& entry) override {
    board.entries.push_back(std::move(entry));
    return true;
  }
  bool Extras(std::size_t index, std::vector<ItemExtra>& extras) override {
    board.entries.at(index).extras = std::move(extras);
    return true;
  }
  Board board;
};

BoardReadResult ReadWhole(BoardSource& source, Board& board) {
  WholeBoard whole;
  const BoardReadResult result = ReadBoard(source, whole);
  if (result.Ok()) board = std::move(whole.board);
  return result;
}

}  // namespace

BoardReadResult ReadBoard(BoardSource& source, BoardReceiver& receiver) {
  BoardParser parser(source, receiver);
  try {
    return parser.Parse();
  } catch (const std::bad_alloc&) {
    // An entry larger than the memory there is.
    return BoardReadResult{BoardError::TooLarge};
  }
}

BoardReadResult ReadBoard(const unsigned char* data, std::size_t size, Board& board) {
  MemoryBoardSource source(data, size);
  return ReadWhole(source, board);
}

BoardReadResult ReadBoardFile(const std::string& path, Board& board) {
  FileBoardSource source(path);
  if (!source.Open()) return BoardReadResult{BoardError::Unreadable};
  return ReadWhole(source, board);
}

bool CreateBoardItemFile(const std::string& path, std::span<const unsigned char> bytes) {
  std::ofstream file(FileSystemPath(path), std::ios::binary | std::ios::trunc);
  if (!file) return false;
  if (!bytes.empty()) file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

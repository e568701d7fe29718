#include "exchange/board_reader.h"

#include <algorithm>
#include <fstream>
#include <new>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "core/data_reader.h"
#include "core/file_bytes.h"
#include "exchange/pack/pack.h"
#include "store/items_file.h"

namespace {

// kind, checked, a one-character name with its terminator, the shortest content block (an image
// length) and the thumbnail length.
constexpr std::size_t MinEntrySize = 4 + 4 + 2 + 4 + 4;

// What an entry costs the reader beyond the bytes it copies from the board: its slot in the entry
// table, counted three times since the table grows by doubling and holds the old slots while it
// moves; a node of the name check (tree links and the name's view); the heap's header of that
// node and of the blocks of its name, content and thumbnail.
constexpr std::size_t HeapBlockHeader = 2 * sizeof(void*);
constexpr std::size_t EntryBookkeeping =
    3 * sizeof(BoardEntry) + 4 * sizeof(void*) + sizeof(std::string_view) + 4 * HeapBlockHeader;
// An entry's extras take one table, sized once, with a slot and a block of bytes per extra. A
// tiny extra costs the reader a few times its 13 bytes in the file, as a tiny entry does.
constexpr std::size_t ExtrasTableBookkeeping = HeapBlockHeader;
constexpr std::size_t ExtraBookkeeping = sizeof(ItemExtra) + HeapBlockHeader;

// The trailer's smallest record: index, count and one extra (kind, T, P and one byte).
constexpr std::size_t MinExtrasRecordSize = 4 + 4 + 4 + 4 + 4 + 1;

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
  // The bookkeeping of the entries and their extras may take half the board's size, or
  // BoardMinBookkeeping when that is more: the import then holds about twice the board, whatever
  // the size of its entries.
  BoardParser(const unsigned char* data, std::size_t size)
      : reader_(data, size), bookkeepingLeft_(std::max(BoardMinBookkeeping, size / 2)) {}

  BoardReadResult Parse(Board& board);

 private:
  bool Fail(BoardError error) {
    if (result_.error == BoardError::None) {
      result_.error = error;
      result_.offset = fieldStart_;
    }
    return false;
  }
  bool Number(int32_t& value) {
    fieldStart_ = reader_.Position();
    return reader_.ReadNumber(value) || Fail(BoardError::Truncated);
  }
  // A length field: not negative and not beyond the bytes that remain after it.
  bool Length(int32_t& value) {
    if (!Number(value)) return false;
    if (value < 0 || static_cast<std::size_t>(value) > reader_.Remaining()) return Fail(BoardError::BadLength);
    return true;
  }
  // Takes `cost` from what the bookkeeping may still use; TooLarge when it is used up.
  bool Bookkeeping(std::size_t cost) {
    if (cost > bookkeepingLeft_) return Fail(BoardError::TooLarge);
    bookkeepingLeft_ -= cost;
    return true;
  }
  bool Bytes(std::size_t count, std::vector<unsigned char>& out) {
    fieldStart_ = reader_.Position();
    std::span<const unsigned char> bytes;
    if (!reader_.ReadData(count, bytes)) return Fail(BoardError::Truncated);
    out.assign(bytes.begin(), bytes.end());
    return true;
  }

  bool Header(Board& board, std::size_t& count);
  bool Entry(std::vector<BoardEntry>& entries);
  bool Name(std::string& name);
  bool TextContent(std::vector<unsigned char>& text);
  bool PackedText(int32_t textLength, int32_t packedLength, std::vector<unsigned char>& text);
  bool Extras(std::vector<BoardEntry>& entries);
  bool ExtrasRecord(std::vector<BoardEntry>& entries, int32_t& lastIndex);
  bool Extra(BoardEntry& entry, unsigned& kindsSeen);
  bool ExtraContent(std::vector<unsigned char>& bytes);

  DataReader reader_;
  BoardReadResult result_;
  // Views into the board's bytes, which outlive the parser.
  std::set<std::string_view, CaseInsensitiveLess> names_;
  std::size_t bookkeepingLeft_;
  std::size_t unpackedTotal_ = 0;
  std::size_t fieldStart_ = 0;  // where the field being read begins, for the refusal's offset
};

BoardReadResult BoardParser::Parse(Board& board) {
  Board parsed;
  std::size_t count = 0;
  if (Header(parsed, count)) {
    for (std::size_t i = 0; i < count; ++i) {
      result_.entryIndex = static_cast<int>(i);
      if (!Entry(parsed.entries)) break;
    }
  }
  if (result_.Ok()) {
    result_.entryIndex = -1;
    Extras(parsed.entries);
  }
  if (result_.Ok()) {
    result_.entryIndex = -1;
    board = std::move(parsed);
  }
  return result_;
}

bool BoardParser::Header(Board& board, std::size_t& count) {
  std::string_view magic;
  bool terminated = false;
  reader_.ReadLine(magic, terminated);
  if (magic != BoardMagic) return Fail(BoardError::NotABoard);
  int32_t announced = 0;
  if (!Number(board.itemLimit) || !Number(announced)) return false;
  // Every entry takes at least MinEntrySize bytes. Nothing is sized from the count: the table
  // grows with the entries actually read.
  if (announced < 0 || static_cast<std::size_t>(announced) > reader_.Remaining() / MinEntrySize) {
    return Fail(BoardError::BadCount);
  }
  count = static_cast<std::size_t>(announced);
  return true;
}

bool BoardParser::Entry(std::vector<BoardEntry>& entries) {
  fieldStart_ = reader_.Position();
  if (!Bookkeeping(EntryBookkeeping)) return false;
  BoardEntry& entry = entries.emplace_back();
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
  return Length(thumbnailLength) && Bytes(static_cast<std::size_t>(thumbnailLength), entry.thumbnail);
}

bool BoardParser::Name(std::string& name) {
  std::string_view line;
  bool terminated = false;
  fieldStart_ = reader_.Position();
  if (!reader_.ReadLine(line, terminated) || !terminated) return Fail(BoardError::Truncated);
  // The length first, so an absurd name is not copied before it is refused.
  if (line.size() > MaxItemNameLength || !IsSafeItemName(std::string(line))) return Fail(BoardError::BadName);
  name.assign(line);
  if (!names_.insert(line).second) return Fail(BoardError::DuplicateName);
  return true;
}

bool BoardParser::TextContent(std::vector<unsigned char>& text) {
  int32_t textLength = 0;
  int32_t packedLength = 0;
  if (!Number(textLength) || !Number(packedLength)) return false;
  if (textLength < 0 || packedLength < 0) return Fail(BoardError::BadLength);
  if (packedLength == 0) {
    if (static_cast<std::size_t>(textLength) > reader_.Remaining()) return Fail(BoardError::BadLength);
    return Bytes(static_cast<std::size_t>(textLength), text);
  }
  return PackedText(textLength, packedLength, text);
}

bool BoardParser::PackedText(int32_t textLength, int32_t packedLength, std::vector<unsigned char>& text) {
  std::span<const unsigned char> block;
  fieldStart_ = reader_.Position();
  if (static_cast<std::size_t>(packedLength) > reader_.Remaining()) return Fail(BoardError::BadLength);
  if (!reader_.ReadData(static_cast<std::size_t>(packedLength), block)) return Fail(BoardError::Truncated);
  // The block states its own length; it must be the entry's before any memory is sized from it.
  const std::size_t length = static_cast<std::size_t>(textLength);
  if (length == 0 || ProvenUnpackedLength(block.data(), block.size()) != length) return Fail(BoardError::BadPackedText);
  if (length > BoardMaxPackedTextLength || length > BoardMaxUnpackedTotal - unpackedTotal_) {
    return Fail(BoardError::TooLarge);
  }
  unpackedTotal_ += length;
  text.resize(length);
  if (unpack(block.data(), block.size(), text.data(), text.size()) != length) return Fail(BoardError::BadPackedText);
  return true;
}

bool BoardParser::Extras(std::vector<BoardEntry>& entries) {
  constexpr std::size_t MagicLineSize = BoardExtrasMagic.size() + 1;
  fieldStart_ = reader_.Position();
  std::span<const unsigned char> line;
  if (reader_.Remaining() < MagicLineSize) return true;
  DataReader peek = reader_;
  peek.ReadData(MagicLineSize, line);
  const std::string_view text(reinterpret_cast<const char*>(line.data()), BoardExtrasMagic.size());
  // Anything else after the entries is ignored, as it always was.
  if (text != BoardExtrasMagic || line.back() != 0x00) return true;
  reader_ = peek;
  int32_t count = 0;
  if (!Number(count)) return false;
  if (count < 0 || static_cast<std::size_t>(count) > entries.size() ||
      static_cast<std::size_t>(count) > reader_.Remaining() / MinExtrasRecordSize) {
    return Fail(BoardError::BadCount);
  }
  int32_t lastIndex = -1;
  for (int32_t i = 0; i < count; ++i) {
    result_.entryIndex = -1;
    if (!ExtrasRecord(entries, lastIndex)) return false;
  }
  result_.entryIndex = -1;
  return true;
}

bool BoardParser::ExtrasRecord(std::vector<BoardEntry>& entries, int32_t& lastIndex) {
  int32_t index = 0;
  if (!Number(index)) return false;
  if (index <= lastIndex || static_cast<std::size_t>(index) >= entries.size()) return Fail(BoardError::BadExtra);
  lastIndex = index;
  result_.entryIndex = index;
  BoardEntry& entry = entries[static_cast<std::size_t>(index)];
  int32_t count = 0;
  if (!Number(count)) return false;
  if (count < 1 || count > BoardMaxExtrasPerEntry) return Fail(BoardError::BadExtra);
  if (!Bookkeeping(ExtrasTableBookkeeping + static_cast<std::size_t>(count) * ExtraBookkeeping)) return false;
  entry.extras.reserve(static_cast<std::size_t>(count));
  unsigned kindsSeen = 0;
  for (int32_t k = 0; k < count; ++k) {
    if (!Extra(entry, kindsSeen)) return false;
  }
  return true;
}

bool BoardParser::Extra(BoardEntry& entry, unsigned& kindsSeen) {
  int32_t number = 0;
  ExtraKind kind;
  if (!Number(number)) return false;
  if (!ExtraKindFromNumber(number, kind) || !ExtraBelongsTo(kind, entry.kind)) return Fail(BoardError::BadExtra);
  const unsigned bit = 1u << static_cast<unsigned>(number);
  if (kindsSeen & bit) return Fail(BoardError::BadExtra);
  kindsSeen |= bit;
  ItemExtra& extra = entry.extras.emplace_back();
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
    if (static_cast<std::size_t>(length) > reader_.Remaining()) return Fail(BoardError::BadLength);
    return Bytes(static_cast<std::size_t>(length), bytes);
  }
  return PackedText(length, packedLength, bytes);
}

}  // namespace

BoardReadResult ReadBoard(const unsigned char* data, std::size_t size, Board& board) {
  try {
    return BoardParser(data, size).Parse(board);
  } catch (const std::bad_alloc&) {
    return BoardReadResult{BoardError::TooLarge};
  }
}

BoardReadResult ReadBoardFile(const std::string& path, Board& board) {
  std::vector<unsigned char> bytes;
  switch (ReadWholeFile(path, bytes, BoardMaxFileSize)) {
    case FileRead::Ok:
      return ReadBoard(bytes.data(), bytes.size(), board);
    case FileRead::TooLarge:
      return BoardReadResult{BoardError::TooLarge};
    case FileRead::Unreadable:
      break;
  }
  return BoardReadResult{BoardError::Unreadable};
}

bool CreateBoardItemFile(const std::string& path, std::span<const unsigned char> bytes) {
  std::ofstream file(FileSystemPath(path), std::ios::binary | std::ios::trunc);
  if (!file) return false;
  if (!bytes.empty()) file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

// Board files (.ksb): the whole item collection in one file.
//
// Layout, all numbers 32-bit signed little-endian, strings as bytes plus one 0x00:
//   "kepsilfilev1" 0x00, item limit, entry count N, then N entries of
//   kind, checked, name 0x00, content block, thumbnail length K, K thumbnail bytes.
// Content block: image (kind 0) = length L, L bytes of PNG data;
//                text (kind 1)  = text length T, packed length P, then P packed bytes or,
//                                 when P is 0, the T text bytes as they are.
//
// Extras trailer: a board whose items keep extras (store/item_extras.h) carries them after the N
// entries, where a reader of the layout above never looks, so such a reader still reads every
// entry. A board without extras ends after its entries, as it always did.
//   "kepsilextras1" 0x00, count M of entries with extras, then M records of
//   entry index (0..N-1, strictly increasing), extra count E (1..6), then E extras of
//   kind (the ExtraKind number, each at most once per entry, one that belongs to the entry's kind),
//   then a block like a text's: length T (1..MaxExtraBytes), packed length P, then P packed bytes
//   or, when P is 0, the T bytes as they are.
// Bytes after the entries that do not begin with that line, and bytes after the trailer, are ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/item_extras.h"

// Used through data() and size(): clang may fold the begin of such a constant from one copy of
// its text and the end from another, which makes a range of a negative length.
inline constexpr std::string_view BoardMagic = "kepsilfilev1";
// The trailer's first line, written with its 0x00 and recognised only so.
inline constexpr std::string_view BoardExtrasMagic = "kepsilextras1";
// At most one extra of each kind per entry.
inline constexpr int BoardMaxExtrasPerEntry = static_cast<int>(EveryExtraKind.size());
inline constexpr int BoardKindImage = 0;
inline constexpr int BoardKindText = 1;
// Boards pack their texts with the largest window.
inline constexpr int BoardPackLevel = 9;

// One item of a board, with the contents of its files.
struct BoardEntry {
  int kind = BoardKindText;
  bool checked = false;
  std::string name;                      // base name of the item's files
  std::vector<unsigned char> content;    // image: the PNG file; text: the text bytes, unpacked
  std::vector<unsigned char> thumbnail;  // the ".clt" file
  // The item's extra files, each kind at most once. Given a default so that an entry written as
  // {kind, checked, name, content, thumbnail} needs no fifth field.
  std::vector<ItemExtra> extras = {};
};

struct Board {
  int32_t itemLimit = 0;
  std::vector<BoardEntry> entries;
};

// Why a board was refused. Every refusal leaves the caller's state untouched.
enum class BoardError {
  None,
  Unreadable,       // the file cannot be opened or read whole
  NotABoard,        // the first line is not the magic
  Truncated,        // the file ends inside the header or an entry
  BadCount,         // negative entry count, or more entries than the file can hold
  BadKind,          // a kind other than image or text
  BadName,          // a name IsSafeItemName refuses: it could lead outside the working folder
  BadLength,        // a negative length, or one beyond the bytes that remain
  BadPackedText,    // a packed text that does not unpack to exactly its stated length
  TooLarge,         // an entry larger than the memory there is, an extra larger than an item
                    // keeps, or contents longer than a length field holds
  BadExtra,         // an extra of an unknown kind, of a kind the item cannot keep, twice, or empty;
                    // or a trailer record for no entry, out of order, or with no or too many extras
  CannotWrite,      // the board file cannot be created or written completely
};

// A short English description of a refusal, for tools and logs.
const char* BoardErrorText(BoardError error);

// The header check used before a file is kept or queued for import: the first line (bytes up to
// the first 0x00, CR or LF) equals the magic exactly. 0 when the file cannot be opened.
int IsBoardFile(const std::string& path);
// The same check over bytes already in memory.
bool HasBoardMagic(const unsigned char* data, std::size_t size);

// Non-zero when the file's first line (up to the first 0x00, CR or LF) contains "PNG": the picture
// file already holds PNG data. 0 when the file cannot be opened.
int FirstLineSaysPng(const std::string& path);

// Reading and checking a board file before anything of the collection is touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "exchange/board_format.h"

// Limits that keep a hostile board from making the reader hold absurd amounts of memory. A packed
// text states its own length, which no file size bounds, so those lengths are capped.
inline constexpr std::size_t BoardMaxPackedTextLength = 16u << 20;
inline constexpr std::size_t BoardMaxUnpackedTotal = 256u << 20;
// Each entry and each extra costs the reader some bookkeeping beyond the bytes it copies (several
// times what a tiny one takes in the file). Their bookkeeping together may take half the board's
// size, or this much for a small board; a board with more than that pays for is refused as too large.
inline constexpr std::size_t BoardMinBookkeeping = 16u << 20;
inline constexpr std::uint64_t BoardMaxFileSize = 0x7FFFFFFF;

// Where and why a board was refused.
struct BoardReadResult {
  BoardError error = BoardError::None;
  int entryIndex = -1;    // the entry being read, or whose extras were, when it failed; -1 in the
                          // header and in the trailer's own fields (its line, count, a bad index)
  std::size_t offset = 0;  // byte offset where the refused field begins
  bool Ok() const { return error == BoardError::None; }
};

// Reads a whole board and checks everything: the magic, every count and length against the bytes
// that remain, every kind and name, every packed text and extra (it must unpack to exactly its
// stated length with a matching checksum), the number of entries and extras against the memory
// their bytes pay for. Nothing is sized from an announced count. After the entries, an extras
// trailer is read and checked whole; any fault in it refuses the board. On success `board` holds
// the entries in file order with their texts and extras unpacked; on failure `board` is left as
// it was. Bytes after the last entry that do not begin the trailer, and bytes after the trailer,
// are ignored.
BoardReadResult ReadBoard(const unsigned char* data, std::size_t size, Board& board);
// The same for a file. A file that cannot be opened or read whole is refused as Unreadable, one
// larger than BoardMaxFileSize (or than the memory there is) as TooLarge.
BoardReadResult ReadBoardFile(const std::string& path, Board& board);

// Creates or replaces a file with the given bytes. False when it cannot be written completely.
bool CreateBoardItemFile(const std::string& path, std::span<const unsigned char> bytes);

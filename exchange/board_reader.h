// Reading and checking a board file before anything of the collection is touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "exchange/board_format.h"
#include "exchange/board_input.h"

// Where and why a board was refused.
struct BoardReadResult {
  BoardError error = BoardError::None;
  int entryIndex = -1;     // the entry being read, or whose extras were, when it failed; -1 in the
                           // header and in the trailer's own fields (its line, count, a bad index)
  std::uint64_t offset = 0;  // byte offset where the refused field begins
  int renamed = 0;         // entries whose name an earlier entry had, read under a fresh name
  bool Ok() const { return error == BoardError::None; }
};

// What a board is read into, one entry at a time. The reader holds one entry (or one entry's
// extras) at a time; the receiver keeps what it wants of it.
class BoardReceiver {
 public:
  virtual ~BoardReceiver() = default;
  // The header: the board's item limit and the number of entries it announces.
  virtual void Header(int32_t itemLimit, std::size_t entryCount) = 0;
  // Entry `index`, checked whole, its text unpacked, its name unique in the board. False when it
  // cannot be kept: the reading stops as CannotWrite.
  virtual bool Entry(std::size_t index, BoardEntry& entry) = 0;
  // The extras of entry `index` from the trailer, checked whole. False as for Entry.
  virtual bool Extras(std::size_t index, std::vector<ItemExtra>& extras) = 0;
  // Called often during a long read (between pieces of a large entry and after each entry), so
  // that a window can answer meanwhile.
  virtual void Between() {}
};

// Reads a board front to back and checks everything: the magic, every count and length against
// the bytes that remain, every kind and name, every packed text and extra (it must unpack to
// exactly its stated length with a matching checksum). Nothing is sized from an announced count.
// An entry whose name an earlier entry has (letter case aside: they would share files) is given a
// fresh name by the item naming rule. After the entries, an extras trailer is read and checked
// whole; any fault in it refuses the board. Bytes after the last entry that do not begin the
// trailer, and bytes after the trailer, are ignored. The only limits are the layout's
// (board_limits.h) and the memory of one entry. What the receiver was given before a refusal is
// for it to throw away.
BoardReadResult ReadBoard(BoardSource& source, BoardReceiver& receiver);

// The whole board into memory. On success `board` holds the entries in file order with their
// texts and extras unpacked; on failure `board` is left as it was.
BoardReadResult ReadBoard(const unsigned char* data, std::size_t size, Board& board);
// The same for a file. A file that cannot be opened or read is refused as Unreadable.
BoardReadResult ReadBoardFile(const std::string& path, Board& board);

// Creates or replaces a file with the given bytes. False when it cannot be written completely.
bool CreateBoardItemFile(const std::string& path, std::span<const unsigned char> bytes);

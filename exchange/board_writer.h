// Writing board files: the header, then one entry per item in list order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "exchange/board_format.h"
#include "exchange/board_text_packer.h"

// Appends the header: the magic with its 0x00, the item limit and the entry count.
void AppendBoardHeader(std::vector<unsigned char>& out, int32_t itemLimit, int32_t entryCount);

// Appends a text content block: T, P and the stored bytes. The text is packed at level 9 and kept
// packed unless packing fails or the block is longer than the text (a block exactly as long as the
// text is kept packed); otherwise P is 0 and the text follows as it is.
void AppendBoardText(std::vector<unsigned char>& out, std::span<const unsigned char> text);
// The same with the text packed ahead: `packed` as PackBoardText gave it (empty: stored as it is).
void AppendPackedBoardText(std::vector<unsigned char>& out, std::span<const unsigned char> text,
                           std::span<const unsigned char> packed);

// Whether the reader would take the entry: None, BadKind, BadName (an unsafe name), TooLarge
// (contents longer than a length field holds, an extra larger than MaxExtraBytes) or BadExtra (an
// extra of an unknown kind, one the entry's kind cannot keep, a kind twice, or an empty one).
BoardError CheckBoardEntry(const BoardEntry& entry);
// Drops the extras CheckBoardEntry would refuse (keeping the first of a kind), so that an item
// whose extra cannot be written is still written with the rest.
void KeepWritableExtras(BoardEntry& entry);

// Appends one entry. Refuses, leaving `out` as it was, an entry the reader would refuse: a kind
// other than image or text, an unsafe name (BadName), or contents longer than a length field
// holds (TooLarge). An item whose file could not be read is written with empty contents.
BoardError AppendBoardEntry(std::vector<unsigned char>& out, const BoardEntry& entry);
// The same for a text packed ahead (`packed` as PackBoardText or PackBoardTexts gave it).
BoardError AppendBoardEntry(std::vector<unsigned char>& out, const BoardEntry& entry,
                            std::span<const unsigned char> packed);

// The extras trailer, for writers that append entries themselves: the line and the number of
// entries with extras, then one record per such entry, in increasing index order. The record
// takes `packed` as PackBoardBlocks gave it (an empty span: every extra packed here), and refuses,
// leaving `out` as it was, an entry CheckBoardEntry refuses or one without extras (BadExtra).
void AppendBoardExtrasStart(std::vector<unsigned char>& out, int32_t entriesWithExtras);
BoardError AppendBoardExtrasRecord(std::vector<unsigned char>& out, int32_t entryIndex, const BoardEntry& entry,
                                   std::span<const PackedBlock> packed = {});

// The whole board: the header, every entry and, when any entry has extras, the extras trailer;
// texts and extras packed on all processors. On a refusal `out` is left as it was.
BoardError WriteBoard(const Board& board, std::vector<unsigned char>& out);
// The same into a file, written beside it first and then moved over it, so a failed write leaves
// an existing board as it was; CannotWrite when that fails.
BoardError WriteBoardFile(const std::string& path, const Board& board);

// Packing the texts and extras of a board ahead of writing it, on several threads. Each block is
// packed on its own, so the blocks are the same whatever the number of threads.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "exchange/board_format.h"

using PackedBlock = std::vector<unsigned char>;

// How a text is stored in a board: its packed block, or empty when the text is stored as it is
// (packing failed, or the block would be longer than the text).
PackedBlock PackBoardText(std::span<const unsigned char> text);
// How an extra is stored: its packed block, or empty when it is stored as it is. An extra is kept
// packed only when that makes it shorter; a PNG picture never gets shorter and is not tried.
PackedBlock PackBoardExtra(const ItemExtra& extra);

// PackBoardText of every text entry, in order; pictures get an empty block. `threads` 0 means
// one per processor. Small work is done on the calling thread alone. A text that cannot be
// packed for want of memory is stored as it is.
std::vector<PackedBlock> PackBoardTexts(std::span<const BoardEntry> entries, unsigned threads = 0);

// Every block of a board packed in one go: texts[i] as PackBoardTexts gives it, extras[i][k] as
// PackBoardExtra gives it for entries[i].extras[k].
struct PackedBoardBlocks {
  std::vector<PackedBlock> texts;
  std::vector<std::vector<PackedBlock>> extras;
};
PackedBoardBlocks PackBoardBlocks(std::span<const BoardEntry> entries, unsigned threads = 0);

// Packing the texts of a board ahead of writing it, on several threads. Each text is packed on
// its own, so the blocks are the same whatever the number of threads.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "exchange/board_format.h"

// How a text is stored in a board: its packed block, or empty when the text is stored as it is
// (packing failed, or the block would be longer than the text).
std::vector<unsigned char> PackBoardText(std::span<const unsigned char> text);

// PackBoardText of every text entry, in order; pictures get an empty block. `threads` 0 means
// one per processor. Small work is done on the calling thread alone. A text that cannot be
// packed for want of memory is stored as it is.
std::vector<std::vector<unsigned char>> PackBoardTexts(std::span<const BoardEntry> entries, unsigned threads = 0);

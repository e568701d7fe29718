// Board reader: any bytes are read or refused without a fault; what is accepted holds only safe
// names and known kinds, and writing it back gives a board that reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "store/items_file.h"
#include "exchange/board_reader.h"
#include "exchange/board_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Board board;
  if (!ReadBoard(data, size, board).Ok()) {
    if (!board.entries.empty() || board.itemLimit != 0) std::abort();  // a refusal changes nothing
    return 0;
  }
  for (const BoardEntry& entry : board.entries) {
    if (!IsSafeItemName(entry.name) || (entry.kind != BoardKindImage && entry.kind != BoardKindText)) std::abort();
  }
  std::vector<unsigned char> written;
  if (WriteBoard(board, written) != BoardError::None) std::abort();
  Board again;
  if (!ReadBoard(written.data(), written.size(), again).Ok()) std::abort();
  if (again.itemLimit != board.itemLimit || again.entries.size() != board.entries.size()) std::abort();
  for (std::size_t i = 0; i < board.entries.size(); ++i) {
    const BoardEntry& a = board.entries[i];
    const BoardEntry& b = again.entries[i];
    if (a.kind != b.kind || a.checked != b.checked || a.name != b.name || a.content != b.content ||
        a.thumbnail != b.thumbnail) {
      std::abort();
    }
  }
  return 0;
}

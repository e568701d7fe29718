// Board reader: any bytes are read or refused without a fault; what is accepted holds only safe
// names, known kinds and extras that fit their items, and writing it back gives a board that reads
// back the same, extras included.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "store/item_extras.h"
#include "store/items_file.h"
#include "exchange/board_reader.h"
#include "exchange/board_writer.h"

namespace {

bool ExtrasFit(const BoardEntry& entry) {
  unsigned seen = 0;
  for (const ItemExtra& extra : entry.extras) {
    ExtraKind known;
    if (!ExtraKindFromNumber(static_cast<int32_t>(extra.kind), known) || !ExtraBelongsTo(known, entry.kind)) {
      return false;
    }
    const unsigned bit = 1u << static_cast<unsigned>(known);
    if ((seen & bit) || extra.bytes.empty() || extra.bytes.size() > MaxExtraBytes) return false;
    seen |= bit;
  }
  return true;
}

bool SameExtras(const BoardEntry& a, const BoardEntry& b) {
  if (a.extras.size() != b.extras.size()) return false;
  for (std::size_t k = 0; k < a.extras.size(); ++k) {
    if (a.extras[k].kind != b.extras[k].kind || a.extras[k].bytes != b.extras[k].bytes) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Board board;
  if (!ReadBoard(data, size, board).Ok()) {
    if (!board.entries.empty() || board.itemLimit != 0) std::abort();  // a refusal changes nothing
    return 0;
  }
  for (const BoardEntry& entry : board.entries) {
    if (!IsSafeItemName(entry.name) || (entry.kind != BoardKindImage && entry.kind != BoardKindText)) std::abort();
    if (!ExtrasFit(entry)) std::abort();
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
        a.thumbnail != b.thumbnail || !SameExtras(a, b)) {
      std::abort();
    }
  }
  return 0;
}

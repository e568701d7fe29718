#include "exchange/board_writer.h"

#include <algorithm>

#include "core/file_bytes.h"
#include "exchange/board_limits.h"
#include "store/items_file.h"

namespace {

void AppendNumber(std::vector<unsigned char>& out, int32_t value) {
  const uint32_t bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<unsigned char>(bits >> shift));
}

void AppendBytes(std::vector<unsigned char>& out, std::span<const unsigned char> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// None, or why the reader would refuse this extra of an entry of that kind.
BoardError CheckExtra(const ItemExtra& extra, int entryKind) {
  ExtraKind known;
  if (!ExtraKindFromNumber(static_cast<int32_t>(extra.kind), known) || !ExtraBelongsTo(extra.kind, entryKind)) {
    return BoardError::BadExtra;
  }
  if (extra.bytes.empty()) return BoardError::BadExtra;
  if (extra.bytes.size() > MaxExtraBytes) return BoardError::TooLarge;
  return BoardError::None;
}

bool SameKindBefore(const std::vector<ItemExtra>& extras, std::size_t index) {
  return std::any_of(extras.begin(), extras.begin() + static_cast<std::ptrdiff_t>(index),
                     [&](const ItemExtra& other) { return other.kind == extras[index].kind; });
}

bool HasExtras(const BoardEntry& entry) { return !entry.extras.empty(); }

}  // namespace

void AppendBoardHeader(std::vector<unsigned char>& out, int32_t itemLimit, int32_t entryCount) {
  out.insert(out.end(), BoardMagic.data(), BoardMagic.data() + BoardMagic.size());
  out.push_back(0x00);
  AppendNumber(out, itemLimit);
  AppendNumber(out, entryCount);
}

void AppendBoardText(std::vector<unsigned char>& out, std::span<const unsigned char> text) {
  AppendPackedBoardText(out, text, PackBoardText(text));
}

void AppendPackedBoardText(std::vector<unsigned char>& out, std::span<const unsigned char> text,
                           std::span<const unsigned char> packed) {
  AppendNumber(out, static_cast<int32_t>(text.size()));
  AppendNumber(out, static_cast<int32_t>(packed.size()));
  AppendBytes(out, packed.empty() ? text : packed);
}

BoardError CheckBoardEntry(const BoardEntry& entry) {
  if (entry.kind != BoardKindImage && entry.kind != BoardKindText) return BoardError::BadKind;
  if (!IsSafeItemName(entry.name)) return BoardError::BadName;
  if (!FitsBoardLength(entry.content.size()) || !FitsBoardLength(entry.thumbnail.size())) {
    return BoardError::TooLarge;
  }
  for (std::size_t k = 0; k < entry.extras.size(); ++k) {
    const BoardError error = CheckExtra(entry.extras[k], entry.kind);
    if (error != BoardError::None) return error;
    if (SameKindBefore(entry.extras, k)) return BoardError::BadExtra;
  }
  return BoardError::None;
}

void KeepWritableExtras(BoardEntry& entry) {
  std::vector<ItemExtra> kept;
  for (std::size_t k = 0; k < entry.extras.size(); ++k) {
    if (CheckExtra(entry.extras[k], entry.kind) == BoardError::None && !SameKindBefore(entry.extras, k)) {
      kept.push_back(std::move(entry.extras[k]));
    }
  }
  entry.extras = std::move(kept);
}

BoardError AppendBoardEntry(std::vector<unsigned char>& out, const BoardEntry& entry) {
  const BoardError error = CheckBoardEntry(entry);
  if (error != BoardError::None) return error;
  const std::vector<unsigned char> packed =
      entry.kind == BoardKindText ? PackBoardText(entry.content) : std::vector<unsigned char>();
  return AppendBoardEntry(out, entry, packed);
}

BoardError AppendBoardEntry(std::vector<unsigned char>& out, const BoardEntry& entry,
                            std::span<const unsigned char> packed) {
  const BoardError error = CheckBoardEntry(entry);
  if (error != BoardError::None) return error;
  AppendNumber(out, entry.kind);
  AppendNumber(out, entry.checked ? 1 : 0);
  out.insert(out.end(), entry.name.begin(), entry.name.end());
  out.push_back(0x00);
  if (entry.kind == BoardKindImage) {
    AppendNumber(out, static_cast<int32_t>(entry.content.size()));
    AppendBytes(out, entry.content);
  } else {
    AppendPackedBoardText(out, entry.content, packed);
  }
  AppendNumber(out, static_cast<int32_t>(entry.thumbnail.size()));
  AppendBytes(out, entry.thumbnail);
  return BoardError::None;
}

void AppendBoardExtrasStart(std::vector<unsigned char>& out, int32_t entriesWithExtras) {
  out.insert(out.end(), BoardExtrasMagic.data(), BoardExtrasMagic.data() + BoardExtrasMagic.size());
  out.push_back(0x00);
  AppendNumber(out, entriesWithExtras);
}

BoardError AppendBoardExtrasRecord(std::vector<unsigned char>& out, int32_t entryIndex, const BoardEntry& entry,
                                   std::span<const PackedBlock> packed) {
  const BoardError error = CheckBoardEntry(entry);
  if (error != BoardError::None) return error;
  if (!HasExtras(entry) || entryIndex < 0 || (!packed.empty() && packed.size() != entry.extras.size())) {
    return BoardError::BadExtra;
  }
  AppendNumber(out, entryIndex);
  AppendNumber(out, static_cast<int32_t>(entry.extras.size()));
  for (std::size_t k = 0; k < entry.extras.size(); ++k) {
    const ItemExtra& extra = entry.extras[k];
    AppendNumber(out, static_cast<int32_t>(extra.kind));
    if (packed.empty()) {
      AppendPackedBoardText(out, extra.bytes, PackBoardExtra(extra));
    } else {
      AppendPackedBoardText(out, extra.bytes, packed[k]);
    }
  }
  return BoardError::None;
}

BoardError WriteBoard(const Board& board, std::vector<unsigned char>& out) {
  if (!FitsBoardLength(board.entries.size())) return BoardError::TooLarge;
  // Refuse before the costly packing, and size the output once.
  std::size_t size = BoardMagic.size() + 1 + 8;
  for (const BoardEntry& entry : board.entries) {
    const BoardError error = CheckBoardEntry(entry);
    if (error != BoardError::None) return error;
    size += 4 * 5 + entry.name.size() + 1 + entry.content.size() + entry.thumbnail.size();
    if (HasExtras(entry)) size += 4 * 2;
    for (const ItemExtra& extra : entry.extras) size += 4 * 3 + extra.bytes.size();
  }
  const auto withExtras = std::count_if(board.entries.begin(), board.entries.end(), HasExtras);
  if (withExtras > 0) size += BoardExtrasMagic.size() + 1 + 4;
  const PackedBoardBlocks packed = PackBoardBlocks(board.entries);
  const std::size_t start = out.size();
  out.reserve(start + size);
  AppendBoardHeader(out, board.itemLimit, static_cast<int32_t>(board.entries.size()));
  for (std::size_t i = 0; i < board.entries.size(); ++i) AppendBoardEntry(out, board.entries[i], packed.texts[i]);
  // Only a board with extras gets the trailer: one without is the board it always was.
  if (withExtras == 0) return BoardError::None;
  AppendBoardExtrasStart(out, static_cast<int32_t>(withExtras));
  for (std::size_t i = 0; i < board.entries.size(); ++i) {
    if (HasExtras(board.entries[i])) {
      AppendBoardExtrasRecord(out, static_cast<int32_t>(i), board.entries[i], packed.extras[i]);
    }
  }
  return BoardError::None;
}

BoardError WriteBoardFile(const std::string& path, const Board& board) {
  std::vector<unsigned char> bytes;
  const BoardError error = WriteBoard(board, bytes);
  if (error != BoardError::None) return error;
  return WriteFileReplacing(path, bytes) ? BoardError::None : BoardError::CannotWrite;
}

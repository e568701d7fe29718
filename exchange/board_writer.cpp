#include "exchange/board_writer.h"

#include <limits>

#include "core/file_bytes.h"
#include "store/items_file.h"
#include "exchange/board_text_packer.h"

namespace {

void AppendNumber(std::vector<unsigned char>& out, int32_t value) {
  const uint32_t bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<unsigned char>(bits >> shift));
}

void AppendBytes(std::vector<unsigned char>& out, std::span<const unsigned char> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

bool FitsLengthField(std::size_t size) { return size <= static_cast<std::size_t>(std::numeric_limits<int32_t>::max()); }

}  // namespace

void AppendBoardHeader(std::vector<unsigned char>& out, int32_t itemLimit, int32_t entryCount) {
  out.insert(out.end(), BoardMagic.begin(), BoardMagic.end());
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
  if (!FitsLengthField(entry.content.size()) || !FitsLengthField(entry.thumbnail.size())) {
    return BoardError::TooLarge;
  }
  return BoardError::None;
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

BoardError WriteBoard(const Board& board, std::vector<unsigned char>& out) {
  if (!FitsLengthField(board.entries.size())) return BoardError::TooLarge;
  // Refuse before the costly packing, and size the output once.
  std::size_t size = BoardMagic.size() + 1 + 8;
  for (const BoardEntry& entry : board.entries) {
    const BoardError error = CheckBoardEntry(entry);
    if (error != BoardError::None) return error;
    size += 4 * 5 + entry.name.size() + 1 + entry.content.size() + entry.thumbnail.size();
  }
  const std::vector<std::vector<unsigned char>> packed = PackBoardTexts(board.entries);
  const std::size_t start = out.size();
  out.reserve(start + size);
  AppendBoardHeader(out, board.itemLimit, static_cast<int32_t>(board.entries.size()));
  for (std::size_t i = 0; i < board.entries.size(); ++i) AppendBoardEntry(out, board.entries[i], packed[i]);
  return BoardError::None;
}

BoardError WriteBoardFile(const std::string& path, const Board& board) {
  std::vector<unsigned char> bytes;
  const BoardError error = WriteBoard(board, bytes);
  if (error != BoardError::None) return error;
  return WriteFileReplacing(path, bytes) ? BoardError::None : BoardError::CannotWrite;
}

#include "exchange/board_writer.h"

#include <limits>

#include "app/file_bytes.h"
#include "app/items_file.h"
#include "exchange/pack/pack.h"

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
  std::vector<unsigned char> block(PackBound(text.size()));
  const std::size_t packedSize = pack(text.data(), text.size(), block.data(), block.size(), BoardPackLevel);
  const bool keepPacked = packedSize != 0 && packedSize <= text.size();
  AppendNumber(out, static_cast<int32_t>(text.size()));
  AppendNumber(out, keepPacked ? static_cast<int32_t>(packedSize) : 0);
  AppendBytes(out, keepPacked ? std::span<const unsigned char>(block.data(), packedSize) : text);
}

BoardError AppendBoardEntry(std::vector<unsigned char>& out, const BoardEntry& entry) {
  if (entry.kind != BoardKindImage && entry.kind != BoardKindText) return BoardError::BadKind;
  if (!IsSafeItemName(entry.name)) return BoardError::BadName;
  if (!FitsLengthField(entry.content.size()) || !FitsLengthField(entry.thumbnail.size())) {
    return BoardError::TooLarge;
  }
  AppendNumber(out, entry.kind);
  AppendNumber(out, entry.checked ? 1 : 0);
  out.insert(out.end(), entry.name.begin(), entry.name.end());
  out.push_back(0x00);
  if (entry.kind == BoardKindImage) {
    AppendNumber(out, static_cast<int32_t>(entry.content.size()));
    AppendBytes(out, entry.content);
  } else {
    AppendBoardText(out, entry.content);
  }
  AppendNumber(out, static_cast<int32_t>(entry.thumbnail.size()));
  AppendBytes(out, entry.thumbnail);
  return BoardError::None;
}

BoardError WriteBoard(const Board& board, std::vector<unsigned char>& out) {
  if (!FitsLengthField(board.entries.size())) return BoardError::TooLarge;
  std::vector<unsigned char> bytes;
  AppendBoardHeader(bytes, board.itemLimit, static_cast<int32_t>(board.entries.size()));
  for (const BoardEntry& entry : board.entries) {
    const BoardError error = AppendBoardEntry(bytes, entry);
    if (error != BoardError::None) return error;
  }
  out.insert(out.end(), bytes.begin(), bytes.end());
  return BoardError::None;
}

BoardError WriteBoardFile(const std::string& path, const Board& board) {
  std::vector<unsigned char> bytes;
  const BoardError error = WriteBoard(board, bytes);
  if (error != BoardError::None) return error;
  return WriteFileReplacing(path, bytes) ? BoardError::None : BoardError::CannotWrite;
}

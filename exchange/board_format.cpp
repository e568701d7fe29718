#include "exchange/board_format.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "core/file_bytes.h"

namespace {

bool IsLineEnd(unsigned char byte) { return byte == 0x00 || byte == '\r' || byte == '\n'; }

// Reads the first line of a file, at most `limit` bytes of it. False when the file cannot be opened.
bool ReadFirstLine(const std::string& path, std::size_t limit, std::string& line) {
  std::ifstream file(FileSystemPath(path), std::ios::binary);
  if (!file) return false;
  line.clear();
  for (std::istreambuf_iterator<char> c(file), end; line.size() < limit && c != end; ++c) {
    if (IsLineEnd(static_cast<unsigned char>(*c))) break;
    line.push_back(*c);
  }
  return true;
}

}  // namespace

const char* BoardErrorText(BoardError error) {
  switch (error) {
    case BoardError::None: return "valid board";
    case BoardError::Unreadable: return "the file cannot be opened or read";
    case BoardError::NotABoard: return "not a board file (the first line is not \"kepsilfilev1\")";
    case BoardError::Truncated: return "the file ends early";
    case BoardError::BadCount: return "impossible entry count";
    case BoardError::BadKind: return "unknown item kind";
    case BoardError::BadName: return "unsafe or invalid item name";
    case BoardError::BadLength: return "a length is negative or beyond the end of the file";
    case BoardError::BadPackedText: return "a packed text does not unpack to its stated length";
    case BoardError::TooLarge: return "too much data";
    case BoardError::BadExtra: return "damaged extra data of an item (its kind, count, order or an empty block)";
    case BoardError::CannotWrite: return "the file cannot be written";
  }
  return "unknown error";
}

bool HasBoardMagic(const unsigned char* data, std::size_t size) {
  if (size < BoardMagic.size() || std::memcmp(data, BoardMagic.data(), BoardMagic.size()) != 0) return false;
  return size == BoardMagic.size() || IsLineEnd(data[BoardMagic.size()]);
}

int IsBoardFile(const std::string& path) {
  std::string line;
  // One byte more than the magic tells a longer first line apart.
  if (!ReadFirstLine(path, BoardMagic.size() + 1, line)) return 0;
  return line == BoardMagic ? 1 : 0;
}

int FirstLineSaysPng(const std::string& path) {
  std::ifstream file(FileSystemPath(path), std::ios::binary);
  if (!file) return 0;
  // Scan the first line for "PNG" without holding it: a text-like file may have a long one.
  char window[3] = {0, 0, 0};
  int found = 0;
  for (std::istreambuf_iterator<char> c(file), end; !found && c != end; ++c) {
    if (IsLineEnd(static_cast<unsigned char>(*c))) break;
    window[0] = window[1];
    window[1] = window[2];
    window[2] = *c;
    found = std::memcmp(window, "PNG", 3) == 0 ? 1 : 0;
  }
  return found;
}

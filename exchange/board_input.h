// Reading a board front to back from its file (or from memory) through a small buffer, so that
// the reader holds one entry at a time, never the board.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Where a board's bytes come from.
class BoardSource {
 public:
  virtual ~BoardSource() = default;
  // The size of the whole board: what the reader checks every length against.
  virtual std::uint64_t Size() const = 0;
  // Reads up to `count` bytes; 0 at the end or when reading fails.
  virtual std::size_t Read(unsigned char* to, std::size_t count) = 0;
};

class MemoryBoardSource : public BoardSource {
 public:
  MemoryBoardSource(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t Read(unsigned char* to, std::size_t count) override;

 private:
  const unsigned char* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

class FileBoardSource : public BoardSource {
 public:
  explicit FileBoardSource(const std::string& path);
  // False when the file cannot be opened or its size is unknown.
  bool Open() const { return open_; }
  std::uint64_t Size() const override { return size_; }
  std::size_t Read(unsigned char* to, std::size_t count) override;

 private:
  std::ifstream file_;
  std::uint64_t size_ = 0;
  bool open_ = false;
};

enum class LineRead { Ok, Unterminated, Overlong };

// Numbers, lines and runs of bytes from a source, with the bytes that remain always known. A short
// read from the source fails the input for good.
class BoardInput {
 public:
  explicit BoardInput(BoardSource& source);

  std::uint64_t Position() const { return position_; }
  std::uint64_t Remaining() const { return size_ - position_; }
  bool Failed() const { return failed_; }

  // A 32-bit little-endian signed number; false when fewer than four bytes remain.
  bool Number(int32_t& value);
  // The bytes up to the first 0x00, CR or LF (a CR directly followed by LF ends it with both).
  // Unterminated at the end of the board; Overlong as soon as the line passes `maxLength`, which
  // is read no further.
  LineRead Line(std::string& line, std::size_t maxLength);
  // The next `count` bytes (no more than remain), read in pieces with `between` called after each.
  bool Data(std::size_t count, std::vector<unsigned char>& out, const std::function<void()>& between);
  // Whether the next bytes are exactly these; nothing is consumed.
  bool NextBytesAre(const unsigned char* bytes, std::size_t count);
  // Consumes `count` bytes (no more than NextBytesAre just looked at).
  void Skip(std::size_t count);

 private:
  // At least `count` bytes in the buffer, or false at the end of the source.
  bool Have(std::size_t count);

  BoardSource& source_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
  std::vector<unsigned char> buffer_;
  std::size_t begin_ = 0;  // the next byte in the buffer
  std::size_t end_ = 0;
  bool failed_ = false;
};

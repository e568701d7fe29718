// Reading the program's data files front to back: 32-bit little-endian numbers, lines that end at
// a zero byte, CR or LF, and runs of bytes. Every read checks the bytes that remain, so reads never
// go past the end; once a read has failed the reader stays failed and every later read fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class DataReader {
 public:
  DataReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // A 32-bit little-endian signed number. Fails, without moving, when fewer than four bytes
  // remain.
  bool ReadNumber(int32_t& value);
  // The bytes up to the first zero byte, CR or LF, as a view into the data. The terminator is
  // consumed, a CR followed directly by LF both. At the end of the data the line is what remains
  // (perhaps nothing) and `terminated` is false; only a failed reader fails.
  bool ReadLine(std::string_view& line, bool& terminated);
  bool ReadLine(std::string_view& line) {
    bool terminated = false;
    return ReadLine(line, terminated);
  }
  // The next `count` bytes, as a view into the data.
  bool ReadData(size_t count, std::span<const uint8_t>& bytes);

  size_t Remaining() const { return failed_ ? 0 : size_ - position_; }
  size_t Position() const { return position_; }
  bool AtEnd() const { return Remaining() == 0; }
  bool Failed() const { return failed_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
  bool failed_ = false;
};

void AppendInt32(std::vector<uint8_t>& out, int32_t value);
// Appends the string up to its first zero byte, CR or LF (which a reader would stop at), then a
// zero byte.
void AppendString(std::vector<uint8_t>& out, const std::string& text);

// Reading the program's data files: 32-bit little-endian integers and strings that end at a zero
// byte, CR, LF or the end of the data. Reads never go past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DataReader {
 public:
  DataReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Remaining() const { return size_ - position_; }
  bool AtEnd() const { return position_ >= size_; }

  // False, without moving, when fewer than four bytes remain.
  bool ReadInt32(int32_t& value);
  // Reads up to the first zero byte, CR, LF or the end; a zero byte or LF is consumed, and a CR
  // consumes an LF that follows it directly. At most maxLength bytes are kept; the rest of an
  // overlong string is skipped and `overlong` set.
  std::string ReadString(size_t maxLength, bool* overlong = nullptr);

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

void AppendInt32(std::vector<uint8_t>& out, int32_t value);
// Appends the string up to its first zero byte, CR or LF (which a reader would stop at), then a
// zero byte.
void AppendString(std::vector<uint8_t>& out, const std::string& text);

#include "core/data_reader.h"

bool DataReader::ReadInt32(int32_t& value) {
  if (Remaining() < 4) return false;
  const uint8_t* p = data_ + position_;
  const uint32_t bits = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  value = static_cast<int32_t>(bits);
  position_ += 4;
  return true;
}

std::string DataReader::ReadString(size_t maxLength, bool* overlong) {
  std::string text;
  bool tooLong = false;
  while (position_ < size_) {
    const uint8_t byte = data_[position_];
    if (byte == 0 || byte == '\n') {
      ++position_;
      break;
    }
    if (byte == '\r') {
      ++position_;
      if (position_ < size_ && data_[position_] == '\n') ++position_;
      break;
    }
    if (text.size() < maxLength) {
      text.push_back(static_cast<char>(byte));
    } else {
      tooLong = true;
    }
    ++position_;
  }
  if (overlong != nullptr) *overlong = tooLong;
  return text;
}

void AppendInt32(std::vector<uint8_t>& out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(bits >> shift));
}

void AppendString(std::vector<uint8_t>& out, const std::string& text) {
  for (char c : text) {
    if (c == '\0' || c == '\r' || c == '\n') break;
    out.push_back(static_cast<uint8_t>(c));
  }
  out.push_back(0);
}

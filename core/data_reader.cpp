#include "core/data_reader.h"

bool DataReader::ReadNumber(int32_t& value) {
  if (Remaining() < 4) {
    failed_ = true;
    return false;
  }
  const uint8_t* p = data_ + position_;
  const uint32_t bits = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  value = static_cast<int32_t>(bits);
  position_ += 4;
  return true;
}

bool DataReader::ReadLine(std::string_view& line, bool& terminated) {
  terminated = false;
  if (failed_) return false;
  const size_t start = position_;
  while (position_ < size_) {
    const uint8_t byte = data_[position_];
    if (byte == 0 || byte == '\r' || byte == '\n') break;
    ++position_;
  }
  line = std::string_view(reinterpret_cast<const char*>(data_) + start, position_ - start);
  if (position_ == size_) return true;
  terminated = true;
  const uint8_t end = data_[position_++];
  if (end == '\r' && position_ < size_ && data_[position_] == '\n') ++position_;
  return true;
}

bool DataReader::ReadData(size_t count, std::span<const uint8_t>& bytes) {
  if (count > Remaining()) {
    failed_ = true;
    return false;
  }
  bytes = std::span<const uint8_t>(data_ + position_, count);
  position_ += count;
  return true;
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

// Builds board bytes field by field, so tests can write boards the writer never would.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class BoardBytes {
 public:
  BoardBytes& Raw(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  BoardBytes& Raw(const std::vector<unsigned char>& data) {
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
  }
  BoardBytes& Number(int32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<unsigned char>(static_cast<uint32_t>(value) >> shift));
    return *this;
  }
  BoardBytes& Name(std::string_view name) {
    Raw(name);
    bytes_.push_back(0);
    return *this;
  }
  BoardBytes& Header(int32_t itemLimit, int32_t count) { return Name("kepsilfilev1").Number(itemLimit).Number(count); }
  // An image entry with its picture and thumbnail bytes.
  BoardBytes& Image(std::string_view name, std::string_view picture, std::string_view thumbnail, int32_t checked = 0) {
    Number(0).Number(checked).Name(name).Number(static_cast<int32_t>(picture.size())).Raw(picture);
    return Number(static_cast<int32_t>(thumbnail.size())).Raw(thumbnail);
  }
  // A text entry stored unpacked.
  BoardBytes& Text(std::string_view name, std::string_view text, std::string_view thumbnail, int32_t checked = 0) {
    Number(1).Number(checked).Name(name).Number(static_cast<int32_t>(text.size())).Number(0).Raw(text);
    return Number(static_cast<int32_t>(thumbnail.size())).Raw(thumbnail);
  }
  // The extras trailer: its line and count, each record's index and count, each extra unpacked or
  // with a packed block that should unpack to `length` bytes.
  BoardBytes& ExtrasStart(int32_t count) { return Name("kepsilextras1").Number(count); }
  BoardBytes& Record(int32_t index, int32_t count) { return Number(index).Number(count); }
  BoardBytes& Extra(int32_t kind, std::string_view bytes) {
    return Number(kind).Number(static_cast<int32_t>(bytes.size())).Number(0).Raw(bytes);
  }
  BoardBytes& PackedExtra(int32_t kind, int32_t length, const std::vector<unsigned char>& block) {
    return Number(kind).Number(length).Number(static_cast<int32_t>(block.size())).Raw(block);
  }
  const std::vector<unsigned char>& bytes() const { return bytes_; }

 private:
  std::vector<unsigned char> bytes_;
};

inline std::vector<unsigned char> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

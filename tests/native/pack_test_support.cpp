#include "tests/native/pack_test_support.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace packtest {

Bytes RandomBytes(std::size_t length, std::uint64_t seed) {
  Lcg rng(seed);
  Bytes out(length);
  for (auto& b : out) b = static_cast<unsigned char>(rng.Next());
  return out;
}

Bytes EnglishText(std::size_t length, std::uint64_t seed) {
  static const char* const words[] = {
      "the", "of", "and", "to", "in", "a", "is", "that", "for", "it", "as", "was", "with", "be", "by",
      "on", "not", "he", "this", "are", "or", "his", "from", "at", "which", "but", "have", "an", "had",
      "they", "you", "were", "their", "one", "all", "we", "can", "her", "has", "there", "been", "if",
      "more", "when", "will", "would", "who", "so", "no", "clipboard", "window", "picture", "text",
      "program", "copy", "paste", "history", "item", "list", "board", "file", "morning", "evening",
      "quickly", "slowly", "remember", "between", "another", "because", "through", "without"};
  constexpr std::size_t wordCount = sizeof(words) / sizeof(words[0]);
  Lcg rng(seed);
  std::string text;
  bool capital = true;
  while (text.size() < length) {
    std::string word = words[rng.Next() % wordCount];
    if (capital) word[0] = static_cast<char>(word[0] - 'a' + 'A');
    text += word;
    capital = false;
    const std::uint32_t r = rng.Next() % 100;
    if (r < 8) {
      text += ". ";
      capital = true;
    } else if (r < 10) {
      text += ".\r\n";
      capital = true;
    } else if (r < 14) {
      text += ", ";
    } else {
      text += ' ';
    }
  }
  text.resize(length);
  return Bytes(text.begin(), text.end());
}

Bytes SourceFile(const std::string& relativePath) {
  std::ifstream in(std::string(KEPSIL_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + relativePath);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Pack(const Bytes& input, int level, PackStatus* status) {
  Bytes block(PackBound(input.size()));
  const std::size_t size = pack(input.data(), input.size(), block.data(), block.size(), level, status);
  block.resize(size);
  return block;
}

Bytes Unpack(const Bytes& block, PackStatus* status, std::size_t capacity) {
  if (capacity == SIZE_MAX) capacity = unpackedLength(block.data(), block.size());
  Bytes out(capacity);
  const std::size_t size = unpack(block.data(), block.size(), out.data(), out.size(), status);
  out.resize(size);
  return out;
}

BlockBuilder& BlockBuilder::Bits(const std::string& bits) {
  for (char c : bits) {
    if (c == '0' || c == '1') bits_.push_back(c == '1');
  }
  return *this;
}

BlockBuilder& BlockBuilder::Number(std::uint32_t value, int width) {
  for (int i = width - 1; i >= 0; --i) bits_.push_back((value >> i & 1) != 0);
  return *this;
}

BlockBuilder& BlockBuilder::Gamma(std::uint64_t value) {
  int top = 63;
  while (!(value >> top & 1)) --top;
  for (int i = top - 1; i >= 0; --i) {
    bits_.push_back((value >> i & 1) != 0);
    bits_.push_back(i > 0);
  }
  return *this;
}

Bytes BlockBuilder::Build(std::uint32_t storedLength, std::uint32_t checksum) const {
  Bytes block = {0x4A, 0x43};
  for (std::uint32_t v : {storedLength, checksum}) {
    for (int i = 0; i < 4; ++i) block.push_back(static_cast<unsigned char>(v >> (8 * i)));
  }
  const std::size_t words = (bits_.size() + 31) / 32;
  for (std::size_t w = 0; w < words; ++w) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 32; ++i) {
      const std::size_t at = 32 * w + i;
      word = word << 1 | (at < bits_.size() && bits_[at] ? 1 : 0);
    }
    for (int i = 0; i < 4; ++i) block.push_back(static_cast<unsigned char>(word >> (8 * i)));
  }
  return block;
}

}  // namespace packtest

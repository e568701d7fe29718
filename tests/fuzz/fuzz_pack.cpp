// libFuzzer target: the packer on any input up to a few megabytes. The first two bytes choose the
// level and how often the rest is repeated (with a running change, so that long inputs are neither
// all matches nor all literals); every block the packer writes must fit its bound, prove its own
// length and unpack to exactly the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "exchange/pack/pack.h"

namespace {

constexpr std::size_t MaxInput = std::size_t{4} << 20;

void Check(bool condition) {
  if (!condition) std::abort();
}

std::vector<unsigned char> Input(const uint8_t* data, size_t size, unsigned repeats) {
  std::vector<unsigned char> input;
  for (unsigned r = 0; r <= repeats && input.size() + size <= MaxInput; ++r) {
    for (size_t i = 0; i < size; ++i) input.push_back(static_cast<unsigned char>(data[i] + (r & data[i] & 3)));
  }
  return input;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int level = 1 + data[0] % PackMaxLevel;
  // 0 … 4095 repeats: a few kilobytes of fuzz input reach the megabytes.
  const unsigned repeats = data[1] % 16 == 0 ? (data[1] >> 4) * 256u + data[2] : data[1] % 16;
  const std::vector<unsigned char> input = Input(data + 3, size - 3, repeats);
  if (input.empty()) return 0;

  std::vector<unsigned char> block(PackBound(input.size()));
  PackStatus status = PackStatus::Ok;
  const std::size_t packed = pack(input.data(), input.size(), block.data(), block.size(), level, &status);
  if (packed == 0) {
    Check(status == PackStatus::NotSmaller);
    return 0;
  }
  Check(status == PackStatus::Ok && packed <= block.size());
  block.resize(packed);
  Check(unpackedLength(block.data(), block.size()) == input.size());
  Check(ProvenUnpackedLength(block.data(), block.size()) == input.size());
  std::vector<unsigned char> back(input.size());
  Check(unpack(block.data(), block.size(), back.data(), back.size(), &status) == input.size());
  Check(status == PackStatus::Ok && back == input);
  // Cut short, the block proves no length.
  Check(ProvenUnpackedLength(block.data(), block.size() - std::min<std::size_t>(block.size() - PackHeaderSize, 4)) !=
        input.size() || packed - PackHeaderSize <= 4);
  return 0;
}

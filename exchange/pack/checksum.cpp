// The checksum stored in a packed block's header, and the texts of the pack statuses.
#include <bit>

#include "exchange/pack/block_format.h"
#include "exchange/pack/pack.h"

namespace {

std::uint32_t AddWord(std::uint32_t sum, std::uint32_t word) {
  return (sum + word) ^ (std::rotl(word, 1) + 1);
}

}  // namespace

std::uint32_t PackChecksum(const unsigned char* data, std::size_t length) {
  if (data == nullptr || length < 4) return 0;
  std::uint32_t sum = 0;
  std::size_t at = 0;
  for (; at + 4 <= length; at += 4) sum = AddWord(sum, ReadLe32(data + at));
  // A tail of 1 to 3 bytes is covered by the last four bytes, overlapping the previous word.
  if (at < length) sum = AddWord(sum, ReadLe32(data + length - 4));
  return sum;
}

const char* PackStatusText(PackStatus status) {
  switch (status) {
    case PackStatus::Ok: return "ok";
    case PackStatus::NoInput: return "no input";
    case PackStatus::NotSmaller: return "the packed form would be larger than the input";
    case PackStatus::TooLarge: return "the input is too large for a packed block";
    case PackStatus::NoMemory: return "out of memory";
    case PackStatus::BadMagic: return "not a packed block";
    case PackStatus::Truncated: return "the packed block ends early";
    case PackStatus::Corrupt: return "the packed block is corrupt";
    case PackStatus::TooLong: return "the packed block unpacks beyond its stated length";
    case PackStatus::OutputFull: return "the destination is too small";
    case PackStatus::ChecksumMismatch: return "the checksum does not match";
  }
  return "unknown status";
}

// Unpacker: any block unpacks without a fault, never past its destination; what it accepts meets the
// stored checksum and leaves the rest of the destination alone, what it refuses leaves no output
// behind, and what it yields packs and unpacks back to itself. The length it proves without writing
// is the length it unpacks to.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "exchange/pack/pack.h"

namespace {

constexpr std::size_t MaxOutput = 1 << 16;
constexpr std::size_t MaxRepack = 1 << 9;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::size_t capacity = std::min<std::size_t>(unpackedLength(data, size), MaxOutput);
  std::vector<unsigned char> out(capacity);
  PackStatus status;
  const std::size_t written = unpack(data, size, out.data(), out.size(), &status);
  Check(written <= capacity);
  // A proven length is what the block then unpacks to, unless its checksum differs.
  const std::uint32_t proven = ProvenUnpackedLength(data, size);
  if (proven != 0 && proven <= MaxOutput) {
    Check(status == PackStatus::Ok ? written == proven : status == PackStatus::ChecksumMismatch);
  }
  if (status == PackStatus::Ok && written > 0 && written == unpackedLength(data, size)) Check(proven == written);
  if (status != PackStatus::Ok) {
    Check(written == 0);
    Check(std::all_of(out.begin(), out.end(), [](unsigned char b) { return b == 0; }));
    return 0;
  }
  // Past the output the destination keeps its zeros.
  Check(std::all_of(out.begin() + static_cast<std::ptrdiff_t>(written), out.end(), [](unsigned char b) { return b == 0; }));
  const std::uint32_t stored = data[6] | data[7] << 8 | data[8] << 16 | std::uint32_t(data[9]) << 24;
  if (stored != 0) Check(PackChecksum(out.data(), written) == stored);

  if (written == 0 || written > MaxRepack) return 0;
  std::vector<unsigned char> block(PackBound(written));
  const std::size_t packed = pack(out.data(), written, block.data(), block.size(), PackMaxLevel);
  if (packed == 0) return 0;  // not smaller: a legitimate refusal
  block.resize(packed);
  std::vector<unsigned char> again(written);
  Check(unpack(block.data(), block.size(), again.data(), again.size()) == written);
  Check(std::equal(again.begin(), again.end(), out.begin()));
  return 0;
}

// Damaged blocks: cut short, bits flipped, or made up. The unpacker must refuse them or give back
// exactly the original data, and never touch memory outside its buffers (the sanitizer build
// checks that).
#include <gtest/gtest.h>

#include "exchange/pack/pack.h"
#include "tests/native/pack_test_support.h"

using packtest::Bytes;
using packtest::Pack;
using packtest::Unpack;

namespace {

Bytes SampleInput() {
  Bytes input = packtest::EnglishText(3000, 70);
  const Bytes noise = packtest::RandomBytes(600, 71);  // long enough for a raw run
  input.insert(input.end(), noise.begin(), noise.end());
  input.insert(input.end(), 500, 0);
  const Bytes again = packtest::EnglishText(2000, 70);  // repeats the start
  input.insert(input.end(), again.begin(), again.end());
  return input;
}

}  // namespace

TEST(PackDamage, EveryTruncationIsRefused) {
  const Bytes input = SampleInput();
  const Bytes block = Pack(input);
  ASSERT_FALSE(block.empty());
  for (std::size_t size = 0; size < block.size(); ++size) {
    const Bytes cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size));
    Bytes out(input.size());
    PackStatus status;
    EXPECT_EQ(unpack(cut.data(), cut.size(), out.data(), out.size(), &status), 0u) << "size " << size;
    EXPECT_NE(status, PackStatus::Ok);
  }
}

TEST(PackDamage, FlippedBitsAreRefusedOrHarmless) {
  const Bytes input = SampleInput();
  const Bytes block = Pack(input);
  ASSERT_FALSE(block.empty());
  std::size_t refused = 0;
  for (std::size_t bit = 0; bit < 8 * block.size(); ++bit) {
    Bytes damaged = block;
    damaged[bit / 8] ^= static_cast<unsigned char>(1u << (bit % 8));
    // Room for more than the original, in case the stored length was raised.
    Bytes out(input.size() + 1000);
    const std::size_t size = unpack(damaged.data(), damaged.size(), out.data(), out.size());
    if (size == 0) {
      ++refused;
      continue;
    }
    // A flip the decoder never reads (padding, the stored length above the output) passes; any
    // other that passes must have met the stored checksum, which is weak enough to be met by chance.
    out.resize(size);
    if (out != input) {
      EXPECT_EQ(PackChecksum(out.data(), out.size()), PackChecksum(input.data(), input.size())) << "bit " << bit;
    }
  }
  EXPECT_GT(refused, 8 * block.size() * 9 / 10);
}

TEST(PackDamage, MadeUpStreamsNeverOverrun) {
  // Random streams behind a valid header, with and without a checksum, into small and large buffers.
  packtest::Lcg rng(80);
  for (int round = 0; round < 3000; ++round) {
    const std::size_t words = 1 + rng.Next() % 64;
    Bytes block = {0x4A, 0x43};
    const std::uint32_t stored = rng.Next() % 4096;
    const std::uint32_t checksum = round % 2 ? rng.Next() : 0;
    for (std::uint32_t v : {stored, checksum}) {
      for (int i = 0; i < 4; ++i) block.push_back(static_cast<unsigned char>(v >> (8 * i)));
    }
    const Bytes stream = packtest::RandomBytes(4 * words, 1000 + round);
    block.insert(block.end(), stream.begin(), stream.end());
    Bytes out(rng.Next() % 2 ? stored : stored / 2);
    PackStatus status;
    const std::size_t size = unpack(block.data(), block.size(), out.data(), out.size(), &status);
    EXPECT_LE(size, out.size());
    if (status != PackStatus::Ok) {
      EXPECT_EQ(size, 0u) << "round " << round;
    } else if (checksum != 0) {
      EXPECT_EQ(PackChecksum(out.data(), size), checksum) << "round " << round;
    }
  }
}

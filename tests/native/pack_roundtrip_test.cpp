// The packer: what it packs comes back unchanged, it packs well where data repeats, and it refuses
// what it cannot pack smaller.
#include <gtest/gtest.h>

#include "exchange/pack/block_format.h"
#include "exchange/pack/literal_modes.h"
#include "exchange/pack/pack.h"
#include "tests/native/pack_test_support.h"

using packtest::Bytes;
using packtest::Pack;
using packtest::Unpack;

namespace {

// Packs and unpacks; returns the packed size (0 when packing failed).
std::size_t RoundTrip(const Bytes& input, int level = PackMaxLevel) {
  PackStatus status;
  const Bytes block = Pack(input, level, &status);
  EXPECT_EQ(status, PackStatus::Ok);
  if (block.empty()) return 0;
  EXPECT_LE(block.size(), PackHeaderSize + input.size());
  EXPECT_EQ(unpackedLength(block.data(), block.size()), input.size());
  EXPECT_EQ(Unpack(block, &status), input);
  EXPECT_EQ(status, PackStatus::Ok);
  return block.size();
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The first code after the header: a literal-mode change, "001 0000 0", width bit, base when 7.
LiteralMode FirstMode(const Bytes& block) {
  const std::uint32_t word = ReadLe32(block.data() + PackHeaderSize);
  EXPECT_EQ(word >> 24, 0x20u) << "the stream begins with a literal-mode change";
  if ((word >> 23 & 1) == 1) return LiteralMode{8, 0};
  return LiteralMode{7, word >> 15 & 0xFF};
}

}  // namespace

TEST(PackRoundTrip, TextSourceAndBinary) {
  const Bytes prose = packtest::EnglishText(64000, 1);
  EXPECT_LT(RoundTrip(prose), prose.size() / 2);
  const Bytes source = packtest::SourceFile("exchange/pack/unpacker.cpp");
  EXPECT_LT(RoundTrip(source), source.size() / 2);
  // Binary: structured records with counters, small numbers and repeated tags.
  Bytes binary;
  packtest::Lcg rng(3);
  for (std::uint32_t i = 0; i < 4000; ++i) {
    const std::uint32_t v = rng.Next() % 1000;
    for (unsigned char b : {static_cast<unsigned char>(i), static_cast<unsigned char>(i >> 8),
                            static_cast<unsigned char>(0), static_cast<unsigned char>(0xFE),
                            static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                            static_cast<unsigned char>('R'), static_cast<unsigned char>(0x80 + i % 7)}) {
      binary.push_back(b);
    }
  }
  EXPECT_LT(RoundTrip(binary), binary.size() * 3 / 4);
  // Short inputs, where the window is clamped below its minimum.
  for (std::size_t n : {40u, 100u, 1023u, 1025u}) RoundTrip(packtest::EnglishText(n, n));
}

TEST(PackRoundTrip, LongRunsPackToAFewWords) {
  EXPECT_LE(RoundTrip(Bytes(300000, 0)), PackHeaderSize + 32);
  EXPECT_LE(RoundTrip(Bytes(70000, 'z')), PackHeaderSize + 16);
  Bytes runs;
  for (int i = 0; i < 200; ++i) runs.insert(runs.end(), 100 + 37 * (i % 11), static_cast<unsigned char>(i * 13));
  EXPECT_LT(RoundTrip(runs), runs.size() / 20);
}

TEST(PackRoundTrip, RepeatsFarBackUseTheWholeWindow) {
  // A random block seen again 60 000 bytes later (past 49 152: index width 9), and again exactly
  // 65 536 bytes after its first copy, the largest offset a match may use.
  const Bytes block = packtest::RandomBytes(5536, 10);
  const Bytes filler = packtest::RandomBytes(60000, 11);
  const Bytes data = Concat({block, filler, block});
  ASSERT_EQ(data.size() - block.size(), 65536u);
  EXPECT_LT(RoundTrip(data), 65536 + 512u) << "the second copy is one match";

  // Beyond the window a repeat cannot be matched, yet the data still packs and comes back.
  const Bytes text = packtest::EnglishText(80000, 12);
  const Bytes far = Concat({block, text, block});
  RoundTrip(far);
}

TEST(PackRoundTrip, IncompressibleDataIsRefusedOrCopiedRaw) {
  PackStatus status;
  EXPECT_TRUE(Pack(packtest::RandomBytes(100000, 20), PackMaxLevel, &status).empty());
  EXPECT_EQ(status, PackStatus::NotSmaller);

  // Random stretches between text: raw runs keep them at 8 bits a byte.
  const Bytes mixed = Concat({packtest::EnglishText(20000, 21), packtest::RandomBytes(20000, 22),
                              packtest::EnglishText(20000, 23)});
  EXPECT_LT(RoundTrip(mixed), 20000 + 2 * 20000 / 2);
}

TEST(PackRoundTrip, LiteralModeFollowsTheFirstKilobyte) {
  // ASCII text: 7-bit literals above its smallest byte.
  const Bytes prose = packtest::EnglishText(5000, 30);
  const Bytes block = Pack(prose);
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(FirstMode(block), (LiteralMode{7, '\n'}));

  // All-equal first kilobyte: 8-bit literals. Only the first 1 024 bytes count.
  Bytes equalStart(1024, 'a');
  const Bytes later = packtest::RandomBytes(3000, 31);
  equalStart.insert(equalStart.end(), later.begin(), later.end());
  const Bytes equalBlock = Pack(equalStart);
  ASSERT_FALSE(equalBlock.empty());
  EXPECT_EQ(FirstMode(equalBlock), (LiteralMode{8, 0}));

  EXPECT_EQ(InitialLiteralMode(reinterpret_cast<const unsigned char*>("\x10\x8F"), 2), (LiteralMode{7, 0x10}));
  EXPECT_EQ(InitialLiteralMode(reinterpret_cast<const unsigned char*>("\x10\x90"), 2), (LiteralMode{8, 0}));
  EXPECT_EQ(InitialLiteralMode(reinterpret_cast<const unsigned char*>("\x41"), 1), (LiteralMode{8, 0}));
}

TEST(PackRoundTrip, BytesOutsideTheSevenBitSpanStillPack) {
  // The first kilobyte is plain ASCII; later come tabs, code page 1252 letters and control bytes.
  Bytes text = packtest::EnglishText(1024, 40);
  const std::string later = "Gr\xFC\xDF" "e aus K\xF6ln\t\x01\x02\xA0\xE9t\xE9 \x80 na\xEFve\r\n\t\tend\x7F\xFF";
  for (int i = 0; i < 300; ++i) {
    const Bytes more = packtest::EnglishText(50 + i % 40, 41 + i);
    text.insert(text.end(), more.begin(), more.end());
    text.insert(text.end(), later.begin() + i % 7, later.end());
  }
  RoundTrip(text);
  // A single foreign byte at the very end.
  Bytes tail = packtest::EnglishText(3000, 42);
  tail.push_back(0xC4);
  RoundTrip(tail);
}

TEST(PackRoundTrip, LevelsAndTinyInputs) {
  const Bytes text = packtest::EnglishText(20000, 50);
  for (int level : {-5, 0, 1, 5, 9, 42}) RoundTrip(text, level);

  PackStatus status;
  EXPECT_TRUE(Pack(Bytes{'a'}, PackMaxLevel, &status).empty()) << "one byte never packs smaller";
  EXPECT_EQ(status, PackStatus::NotSmaller);
  unsigned char out[32];
  EXPECT_EQ(pack(nullptr, 10, out, sizeof out, 9, &status), 0u);
  EXPECT_EQ(status, PackStatus::NoInput);
  EXPECT_EQ(pack(out, 0, out, sizeof out, 9, &status), 0u);
  EXPECT_EQ(status, PackStatus::NoInput);
}

TEST(PackRoundTrip, SmallDestinationsAreNeverOverrun) {
  const Bytes text = packtest::EnglishText(10000, 60);
  const std::size_t size = Pack(text).size();
  ASSERT_GT(size, 0u);
  for (std::size_t capacity : {std::size_t{1}, std::size_t{9}, std::size_t{13}, size - 1}) {
    Bytes dest(capacity);  // exact size: ASan reports any write past it
    PackStatus status;
    EXPECT_EQ(pack(text.data(), text.size(), dest.data(), dest.size(), 9, &status), 0u) << capacity;
    EXPECT_EQ(status, PackStatus::OutputFull) << capacity;
  }
  Bytes exact(size);
  EXPECT_EQ(pack(text.data(), text.size(), exact.data(), exact.size(), 9), size);
}

TEST(PackChecksumTest, WordsAndTheOverlappingTail) {
  const unsigned char one[] = {1, 0, 0, 0, 0};
  EXPECT_EQ(PackChecksum(one, 3), 0u);  // shorter than a word
  EXPECT_EQ(PackChecksum(one, 4), 2u);  // (0 + 1) ^ (rotl(1, 1) + 1)
  EXPECT_EQ(PackChecksum(one, 5), 3u);  // then the last four bytes (0): (2 + 0) ^ (0 + 1)
  const unsigned char high[] = {0x80, 0, 0, 0x80};
  EXPECT_EQ(PackChecksum(high, 4), 0x80000080u ^ 0x102u);
}

TEST(PackFormat, IndexWidthAndLengthBands) {
  EXPECT_EQ(IndexWidthForReach(49152), 8);
  EXPECT_EQ(IndexWidthForReach(49153), 9);
  EXPECT_EQ(IndexWidthForReach(65536), 9);
  EXPECT_EQ(IndexWidthForReach(65537), 10);
  EXPECT_EQ(GammaBits(2), 2u);
  EXPECT_EQ(GammaBits(3), 2u);
  EXPECT_EQ(GammaBits(4), 4u);
  EXPECT_EQ(GammaBits(65536), 32u);
}

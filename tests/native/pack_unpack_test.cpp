// The unpacker against blocks built bit by bit: each code on its own, the state it keeps, and the
// ways a block can be refused.
#include <gtest/gtest.h>

#include "exchange/pack/block_format.h"
#include "exchange/pack/pack.h"
#include "tests/native/pack_test_support.h"

using packtest::BlockBuilder;
using packtest::Bytes;
using packtest::Unpack;

namespace {

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Unpacks a block whose stored length is exactly what it should produce, with its checksum.
Bytes UnpackBuilt(const BlockBuilder& b, const Bytes& expected, PackStatus* status = nullptr) {
  const Bytes block = b.Build(static_cast<std::uint32_t>(expected.size()),
                              PackChecksum(expected.data(), expected.size()));
  return Unpack(block, status);
}

// A block that starts with `prefix` as a raw run of one 256-byte group.
BlockBuilder WithRawPrefix(const Bytes& prefix) {
  BlockBuilder b;
  b.Bits("001 0000 1");
  for (unsigned char c : prefix) b.Byte(c);
  return b.Bits("0");
}

// The proven length follows the codes: a block that claims more (or less) than they write proves
// none, however it is cut or whatever it claims, and nothing is written while it is found.
TEST(PackUnpack, ProvenLengthIsWhatTheCodesWrite) {
  const Bytes three = BlockBuilder().Bits("1").Byte('a').Bits("1").Byte('b').Bits("1").Byte('c').End().Build(3, 0);
  EXPECT_EQ(ProvenUnpackedLength(three.data(), three.size()), 3u);
  for (uint32_t claimed : {2u, 4u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    Bytes lying = three;
    WriteLe32(lying.data() + PackLengthOffset, claimed);
    EXPECT_EQ(ProvenUnpackedLength(lying.data(), lying.size()), 0u) << claimed;
  }
  EXPECT_EQ(ProvenUnpackedLength(three.data(), three.size() - 4), 0u);
  EXPECT_EQ(ProvenUnpackedLength(three.data(), PackHeaderSize), 0u);

  // A long run proves its length without any memory for it.
  const Bytes run = BlockBuilder().Bits("1").Byte('z').Bits("01").Gamma(2).Gamma(0xFFFFFFFEu).End().Build(0xFFFFFFFFu, 0);
  EXPECT_EQ(ProvenUnpackedLength(run.data(), run.size()), 0xFFFFFFFFu);
}

}  // namespace

TEST(PackUnpack, LiteralsStartAsEightBitAndFollowModeChanges) {
  BlockBuilder b;
  b.Bits("1").Byte(0xE4);                           // initial mode: 8 bits, base 0
  b.Bits("001 0000 0 0").Byte(0x20).Bits("1 0100001");  // 7 bits above 0x20: 0x41
  b.Bits("001 0000 0 0").Byte(200).Bits("1 1100100");   // (100 + 200) mod 256 = 44
  b.Bits("001 0000 0 1").Bits("1").Byte(0xFF);      // back to 8 bits, base 0
  b.End();
  EXPECT_EQ(UnpackBuilt(b, Bytes{0xE4, 0x41, 44, 0xFF}), (Bytes{0xE4, 0x41, 44, 0xFF}));
}

TEST(PackUnpack, ZeroAndNearBytes) {
  BlockBuilder b;
  b.Bits("1").Byte('A').Bits("1").Byte('B').Bits("1").Byte('C');
  b.Bits("001 0011");  // r = 3: offset 2 -> 'B'
  b.Bits("001 0001");  // r = 1: a zero byte
  b.Bits("001 1111");  // r = 15: offset 14 reaches before the start... only 5 bytes exist
  b.End();
  PackStatus status;
  EXPECT_TRUE(Unpack(b.Build(100, 0), &status).empty());
  EXPECT_EQ(status, PackStatus::Corrupt);

  BlockBuilder ok;
  for (int i = 0; i < 14; ++i) ok.Bits("1").Byte(static_cast<unsigned char>('a' + i));
  ok.Bits("001 1111").Bits("001 0001").Bits("001 0010").End();  // offset 14 'a', zero, offset 1 zero
  const Bytes expected = Text(std::string("abcdefghijklmna") + '\0' + '\0');
  EXPECT_EQ(UnpackBuilt(ok, expected), expected);
}

TEST(PackUnpack, ShortMatchSetsTheRepeatOffset) {
  BlockBuilder b;
  for (char c : std::string("abcd")) b.Bits("1").Byte(static_cast<unsigned char>(c));
  b.Bits("000").Number(4, 7).Number(2, 2);  // 4 bytes from offset 4
  b.Bits("01").Gamma(2).Gamma(3);           // repeat offset 4, 3 bytes
  b.Bits("000").Number(1, 7).Number(0, 2);  // 2 bytes from offset 1
  b.Bits("01").Gamma(2).Gamma(2);           // repeat offset is now 1
  b.End();
  const Bytes expected = Text("abcdabcdabccccc");
  EXPECT_EQ(UnpackBuilt(b, expected), expected);
}

TEST(PackUnpack, OverlappingCopiesRepeatTheLastBytes) {
  // The repeat offset starts at 1: one literal and a repeat match of 10 give 11 equal bytes.
  BlockBuilder repeat;
  repeat.Bits("1").Byte('x').Bits("01").Gamma(2).Gamma(10).End();
  EXPECT_EQ(UnpackBuilt(repeat, Bytes(11, 'x')), Bytes(11, 'x'));

  // A new offset of 1 with length 10: offsets below 128 add 4 to the coded length.
  BlockBuilder fresh;
  fresh.Bits("1").Byte('y').Bits("01").Gamma(3).Number(1, 8).Gamma(6).End();
  EXPECT_EQ(UnpackBuilt(fresh, Bytes(11, 'y')), Bytes(11, 'y'));

  // Offset 3 over "abc" repeats the three-byte pattern.
  BlockBuilder pattern;
  for (char c : std::string("abc")) pattern.Bits("1").Byte(static_cast<unsigned char>(c));
  pattern.Bits("01").Gamma(3).Number(3, 8).Gamma(2).End();
  EXPECT_EQ(UnpackBuilt(pattern, Text("abcabcabc")), Text("abcabcabc"));
}

TEST(PackUnpack, NewOffsetLengthsFollowTheDistanceBands) {
  // Offset -> what is added to the coded length (2 here).
  const std::pair<std::uint32_t, std::uint32_t> bands[] = {
      {127, 4}, {128, 0}, {638, 0}, {639, 1}, {14334, 1}, {14335, 2}, {65535, 2}, {65536, 3}};
  const Bytes prefix = packtest::RandomBytes(65536, 7);
  for (const auto& [offset, bonus] : bands) {
    BlockBuilder b;
    b.Bits("001 0000 1");
    for (std::size_t i = 0; i < prefix.size(); ++i) {
      b.Byte(prefix[i]);
      if (i % 256 == 255) b.Bits(i + 1 < prefix.size() ? "1" : "0");
    }
    b.Bits("01").Gamma((offset >> 8) + 3).Number(offset & 0xFF, 8).Gamma(2).End();
    Bytes expected = prefix;
    for (std::uint32_t i = 0; i < 2 + bonus; ++i) expected.push_back(expected[expected.size() - offset]);
    EXPECT_EQ(UnpackBuilt(b, expected), expected) << "offset " << offset;
  }
}

TEST(PackUnpack, IndexWidthChangesSplitOffsetsDifferently) {
  const Bytes prefix = packtest::RandomBytes(1024, 8);
  // Width 9 (k = 1: 4 bits): offset 1000 = (1 << 9) | 488.
  BlockBuilder nine = WithRawPrefix(Bytes(prefix.begin(), prefix.begin() + 256));
  nine.Bits("001 0000 1");
  for (std::size_t i = 256; i < 1024; ++i) {
    nine.Byte(prefix[i]);
    if (i % 256 == 255) nine.Bits(i + 1 < 1024 ? "1" : "0");
  }
  nine.Bits("000 0000000 01").Number(9, 4);
  nine.Bits("01").Gamma(1 + 3).Number(488, 9).Gamma(2);  // 1000 is in the +1 band: 3 bytes
  nine.End();
  Bytes expected = prefix;
  for (int i = 0; i < 3; ++i) expected.push_back(expected[expected.size() - 1000]);
  EXPECT_EQ(UnpackBuilt(nine, expected), expected);

  // k = 2 reads 5 bits, k = 3 reads 6 bits; width 0 makes the gamma the whole offset.
  BlockBuilder wide;
  for (char c : std::string("0123456789")) wide.Bits("1").Byte(static_cast<unsigned char>(c));
  wide.Bits("000 0000000 10").Number(10, 5);
  wide.Bits("01").Gamma(3).Number(7, 10).Gamma(2);  // offset 7, +4: 6 bytes
  wide.Bits("000 0000000 11").Number(0, 6);
  wide.Bits("01").Gamma(3 + 10).Gamma(2);  // offset 10, +4: 6 bytes
  wide.End();
  const Bytes wideExpected = Text("0123456789" "345678" "678934");
  EXPECT_EQ(UnpackBuilt(wide, wideExpected), wideExpected);
}

TEST(PackUnpack, RawRunsCopyGroupsOf256Bytes) {
  const Bytes data = packtest::RandomBytes(768, 9);
  BlockBuilder b;
  b.Bits("001 0000 1");
  for (std::size_t i = 0; i < data.size(); ++i) {
    b.Byte(data[i]);
    if (i % 256 == 255) b.Bits(i + 1 < data.size() ? "1" : "0");
  }
  b.Bits("1").Byte('!').End();
  Bytes expected = data;
  expected.push_back('!');
  EXPECT_EQ(UnpackBuilt(b, expected), expected);
}

TEST(PackUnpack, EndCodeOnAWordBoundaryReadsNothingBeyond) {
  // zero byte (7) + near byte offset 1 (7) + repeat match of 2 (6) + end (12) = 32 bits exactly.
  BlockBuilder b;
  b.Bits("001 0001").Bits("001 0010").Bits("01 00 00").End();
  ASSERT_EQ(b.BitCount(), 32u);
  const Bytes block = b.Build(4, 0);
  ASSERT_EQ(block.size(), 14u);  // ASan sees any read past this heap block
  EXPECT_EQ(Unpack(block), Bytes(4, 0));
}

TEST(PackUnpack, ChecksumZeroIsNotVerifiedAndAWrongOneFails) {
  BlockBuilder b;
  for (char c : std::string("checksum")) b.Bits("1").Byte(static_cast<unsigned char>(c));
  b.End();
  const Bytes expected = Text("checksum");
  const std::uint32_t right = PackChecksum(expected.data(), expected.size());
  ASSERT_NE(right, 0u);
  EXPECT_EQ(Unpack(b.Build(8, 0)), expected);
  EXPECT_EQ(Unpack(b.Build(8, right)), expected);

  PackStatus status;
  Bytes out(8, 0xAA);
  const Bytes wrong = b.Build(8, right ^ 1);
  EXPECT_EQ(unpack(wrong.data(), wrong.size(), out.data(), out.size(), &status), 0u);
  EXPECT_EQ(status, PackStatus::ChecksumMismatch);
  EXPECT_EQ(out, Bytes(8, 0)) << "a refused block leaves no partial output behind";
}

TEST(PackUnpack, StreamsThatEndEarlyOrRunLongAreTold) {
  BlockBuilder b;
  b.Bits("1").Byte('a').Bits("01").Gamma(2).Gamma(9).End();  // 10 bytes
  PackStatus status;
  // Stored length 20: ending early is fine (no checksum stored).
  EXPECT_EQ(Unpack(b.Build(20, 0), &status), Bytes(10, 'a'));
  EXPECT_EQ(status, PackStatus::Ok);
  // Stored length 9: the copy would write past it.
  EXPECT_TRUE(Unpack(b.Build(9, 0), &status).empty());
  EXPECT_EQ(status, PackStatus::TooLong);
  // A short copy ends the stream early: the room after the output stays as it was, all zeros.
  BlockBuilder early;
  for (char c : std::string("abcdefghijklmnop")) early.Bits("1").Byte(static_cast<unsigned char>(c));
  early.Bits("01").Gamma(3).Number(16, 8).Gamma(2).End();  // offset 16, 2 + 4 bytes
  const Bytes earlyBlock = early.Build(100, 0);
  Bytes zeroed(100, 0);
  ASSERT_EQ(unpack(earlyBlock.data(), earlyBlock.size(), zeroed.data(), zeroed.size()), 22u);
  EXPECT_EQ(Bytes(zeroed.begin(), zeroed.begin() + 22), Text("abcdefghijklmnopabcdef"));
  EXPECT_EQ(Bytes(zeroed.begin() + 22, zeroed.end()), Bytes(78, 0));
  // Stored length 10 but only 5 bytes of room.
  EXPECT_TRUE(Unpack(b.Build(10, 0), &status, 5).empty());
  EXPECT_EQ(status, PackStatus::OutputFull);
}

TEST(PackUnpack, ImpossibleCodesAreCorrupt) {
  struct Case {
    const char* what;
    BlockBuilder block;
  };
  std::vector<Case> cases;
  cases.push_back({"repeat match before any output", BlockBuilder().Bits("01").Gamma(2).Gamma(2).End()});
  cases.push_back({"new offset 0", BlockBuilder().Bits("1").Byte('a').Bits("01").Gamma(3).Number(0, 8).Gamma(2).End()});
  cases.push_back({"offset beyond the output",
                   BlockBuilder().Bits("1").Byte('a').Bits("01").Gamma(3).Number(2, 8).Gamma(2).End()});
  cases.push_back({"short match before the start", BlockBuilder().Bits("000").Number(1, 7).Number(0, 2).End()});
  cases.push_back({"near byte before the start", BlockBuilder().Bits("001 0010").End()});
  cases.push_back({"huge offset with a wide index",
                   BlockBuilder().Bits("1").Byte('a').Bits("000 0000000 11").Number(63, 6).Bits("01").Gamma(1000)
                       .Number(0, 31).Number(0, 32).Gamma(2).End()});
  cases.push_back({"overlong gamma", [] {
                     BlockBuilder b;
                     b.Bits("1").Byte('a').Bits("01");
                     for (int i = 0; i < 40; ++i) b.Bits("11");
                     return b.Bits("00").End();
                   }()});
  for (const Case& c : cases) {
    PackStatus status;
    EXPECT_TRUE(Unpack(c.block.Build(100, 0), &status, 100).empty()) << c.what;
    EXPECT_EQ(status, PackStatus::Corrupt) << c.what;
  }
}

TEST(PackUnpack, BlocksThatAreNoBlocks) {
  PackStatus status;
  // Three literals and the start of a fourth fill the only word; the rest of the stream is missing.
  BlockBuilder cut;
  for (int i = 0; i < 3; ++i) cut.Bits("1").Byte('a');
  ASSERT_EQ(cut.Bits("1 0110").BitCount(), 32u);
  const Bytes noEnd = cut.Build(4, 0);
  EXPECT_TRUE(Unpack(noEnd, &status).empty());
  EXPECT_EQ(status, PackStatus::Truncated);

  Bytes badMagic = BlockBuilder().Bits("1").Byte('a').End().Build(1, 0);
  badMagic[1] = 'D';
  EXPECT_TRUE(Unpack(badMagic, &status, 1).empty());
  EXPECT_EQ(status, PackStatus::BadMagic);
  EXPECT_EQ(unpackedLength(badMagic.data(), badMagic.size()), 0u);

  const Bytes headerOnly = {0x4A, 0x43, 5, 0, 0, 0, 0, 0, 0};  // 9 bytes: one short of a header
  EXPECT_EQ(unpackedLength(headerOnly.data(), headerOnly.size()), 0u);
  EXPECT_EQ(unpackedLength(nullptr, 100), 0u);
  unsigned char out[4];
  EXPECT_EQ(unpack(headerOnly.data(), headerOnly.size(), out, sizeof out, &status), 0u);
  EXPECT_EQ(status, PackStatus::Truncated);
  EXPECT_EQ(unpack(nullptr, 0, out, sizeof out, &status), 0u);
  EXPECT_EQ(status, PackStatus::NoInput);

  const Bytes good = BlockBuilder().End().Build(0x01020304, 0);
  EXPECT_EQ(unpackedLength(good.data(), good.size()), 0x01020304u);
}

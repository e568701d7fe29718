// The clipboard's DIB blocks, built byte by byte, and the blending of pictures with transparency.
#include "exchange/image/clipboard_dib.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint32_t value) {
  for (int i = 0; i < 2; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void Put32(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
uint32_t Get32(const Bytes& in, size_t at) {
  return uint32_t{in[at]} | uint32_t{in[at + 1]} << 8 | uint32_t{in[at + 2]} << 16 | uint32_t{in[at + 3]} << 24;
}

struct DibHeaderFields {
  uint32_t size = DibInfoHeaderSize;
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bitCount = 24;
  uint32_t compression = DibRgb;
  uint32_t coloursUsed = 0;
  uint32_t red = 0, green = 0, blue = 0, alpha = 0;  // written where the header has room for them
};

// A packed DIB: the header, then whatever follows it (masks, colour table) and the pixel rows.
Bytes Dib(const DibHeaderFields& fields, const Bytes& afterHeader = {}) {
  Bytes out;
  Put32(out, fields.size);
  Put32(out, static_cast<uint32_t>(fields.width));
  Put32(out, static_cast<uint32_t>(fields.height));
  Put16(out, 1);
  Put16(out, fields.bitCount);
  Put32(out, fields.compression);
  out.resize(32, 0);
  Put32(out, fields.coloursUsed);
  Put32(out, 0);
  if (fields.size >= 52) {
    Put32(out, fields.red);
    Put32(out, fields.green);
    Put32(out, fields.blue);
  }
  if (fields.size >= 56) Put32(out, fields.alpha);
  out.resize(fields.size, 0);
  out.insert(out.end(), afterHeader.begin(), afterHeader.end());
  return out;
}

Bytes Joined(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Words32(std::initializer_list<uint32_t> values) {
  Bytes out;
  for (uint32_t value : values) Put32(out, value);
  return out;
}

struct Decoded {
  DecodeStatus status;
  AlphaPicture picture;
  bool alphaMeaningful;
};

Decoded Decode(const Bytes& block) {
  Decoded result{};
  result.alphaMeaningful = true;  // must be cleared by the decoder
  result.status = DecodeClipboardDib(block.data(), block.size(), result.picture, result.alphaMeaningful);
  return result;
}

// --- pixels of every bit depth ----------------------------------------------------------------

struct DepthCase {
  std::string name;
  DibHeaderFields header;
  Bytes afterHeader;  // masks, table and one pixel row
  Bytes expected;     // the row as blue-green-red-alpha
};

TEST(ClipboardDibDecode, EachBitDepthGivesTheRightPixels) {
  Bytes grey256;
  for (uint32_t i = 0; i < 256; ++i) Put32(grey256, i | (255 - i) << 8 | (i / 2) << 16);
  const std::vector<DepthCase> cases = {
      {"1 bit, row padded", {.width = 3, .bitCount = 1},
       Joined({{10, 20, 30, 0, 40, 50, 60, 0}, {0xA0, 0xFF, 0xFF, 0xFF}}),
       {40, 50, 60, 255, 10, 20, 30, 255, 40, 50, 60, 255}},
      {"4 bits, short table", {.width = 3, .bitCount = 4, .coloursUsed = 2},
       Joined({Words32({0x030201, 0x060504}), {0x10, 0x70, 0, 0}}),
       {4, 5, 6, 255, 1, 2, 3, 255, 0, 0, 0, 255}},  // index 7 lies past the table: black
      {"8 bits, full table", {.width = 3, .bitCount = 8}, Joined({grey256, {0, 128, 255, 0}}),
       {0, 255, 0, 255, 128, 127, 64, 255, 255, 0, 127, 255}},
      {"16 bits 5-5-5", {.width = 2, .bitCount = 16}, Words32({0x7FFF7C10}),
       {132, 0, 255, 255, 255, 255, 255, 255}},
      {"16 bits 5-6-5 masks after the header", {.width = 2, .bitCount = 16, .compression = DibBitFields},
       Joined({Words32({0xF800, 0x07E0, 0x001F}), Words32({0xF800'0400})}),
       {0, 130, 0, 255, 0, 0, 255, 255}},
      {"24 bits", {.width = 2, .bitCount = 24}, {1, 2, 3, 4, 5, 6, 0, 0}, {1, 2, 3, 255, 4, 5, 6, 255}},
      {"32 bits, fourth byte ignored", {.width = 1, .bitCount = 32}, {7, 8, 9, 77}, {7, 8, 9, 255}},
      {"32 bits, red in the low byte", {.size = DibV4HeaderSize, .width = 1, .bitCount = 32, .compression = DibBitFields,
        .red = 0xFF, .green = 0xFF00, .blue = 0xFF0000, .alpha = 0xFF000000},
       {7, 8, 9, 200}, {9, 8, 7, 200}},
      {"32 bits, 10 bits a colour", {.size = DibV5HeaderSize, .width = 1, .bitCount = 32, .compression = DibBitFields,
        .red = 0x3FF00000, .green = 0x000FFC00, .blue = 0x000003FF},
       Words32({0x3FF80000 | 0x3FF}), {255, 128, 255, 255}},
  };
  for (const DepthCase& test : cases) {
    SCOPED_TRACE(test.name);
    const Decoded result = Decode(Dib(test.header, test.afterHeader));
    ASSERT_EQ(result.status, DecodeStatus::Ok);
    EXPECT_EQ(result.picture.width, test.header.width);
    EXPECT_EQ(result.picture.height, 1);
    EXPECT_EQ(result.picture.bgra, test.expected);
  }
}

TEST(ClipboardDibDecode, BottomUpAndTopDownRowsGiveTheSamePicture) {
  // Width 1 at 24 bits: each row is 3 bytes of colour and 1 of padding.
  const Bytes top = {1, 2, 3, 0}, middle = {4, 5, 6, 0}, bottom = {7, 8, 9, 0};
  const Bytes expected = {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255};
  const Decoded bottomUp = Decode(Dib({.height = 3}, Joined({bottom, middle, top})));
  const Decoded topDown = Decode(Dib({.height = -3}, Joined({top, middle, bottom})));
  ASSERT_EQ(bottomUp.status, DecodeStatus::Ok);
  ASSERT_EQ(topDown.status, DecodeStatus::Ok);
  EXPECT_EQ(bottomUp.picture.bgra, expected);
  EXPECT_EQ(topDown.picture.bgra, expected);
  EXPECT_EQ(topDown.picture.height, 3);
}

// --- alpha --------------------------------------------------------------------------------------

TEST(ClipboardDibDecode, AlphaOnlyWhenTheHeaderNamesItAndItIsNotAllZero) {
  const DibHeaderFields v5{.size = DibV5HeaderSize, .width = 3, .bitCount = 32, .compression = DibBitFields,
                         .red = 0xFF0000, .green = 0xFF00, .blue = 0xFF, .alpha = 0xFF000000};
  const Bytes mixed = {10, 20, 30, 0, 40, 50, 60, 128, 70, 80, 90, 255};
  const Bytes allZero = {10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0};
  const Bytes opaque = {10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 255};

  Decoded result = Decode(Dib(v5, mixed));
  ASSERT_EQ(result.status, DecodeStatus::Ok);
  EXPECT_TRUE(result.alphaMeaningful);
  EXPECT_EQ(result.picture.bgra, mixed) << "colours are straight: kept as they are";

  result = Decode(Dib(v5, allZero));
  EXPECT_FALSE(result.alphaMeaningful);
  EXPECT_EQ(result.picture.bgra, opaque);

  DibHeaderFields noAlphaMask = v5;
  noAlphaMask.alpha = 0;
  result = Decode(Dib(noAlphaMask, mixed));
  EXPECT_FALSE(result.alphaMeaningful);
  EXPECT_EQ(result.picture.bgra, opaque);

  result = Decode(Dib({.width = 3, .bitCount = 32}, mixed));  // the short header has no alpha mask
  EXPECT_FALSE(result.alphaMeaningful);
  EXPECT_EQ(result.picture.bgra, opaque);

  DibHeaderFields uncompressed = v5;
  uncompressed.compression = DibRgb;
  result = Decode(Dib(uncompressed, mixed));
  EXPECT_TRUE(result.alphaMeaningful);
  EXPECT_EQ(result.picture.bgra, mixed);
}

// --- damaged and lying blocks -------------------------------------------------------------------

TEST(ClipboardDibDecode, RefusesDamagedAndLyingBlocks) {
  const DibHeaderFields good{.size = DibV5HeaderSize, .width = 2, .height = 2, .bitCount = 32,
                           .compression = DibBitFields, .red = 0xFF0000, .green = 0xFF00, .blue = 0xFF};
  const Bytes pixels(16, 0x55);
  ASSERT_EQ(Decode(Dib(good, pixels)).status, DecodeStatus::Ok);
  const auto with = [&](auto change, const Bytes& after) {
    DibHeaderFields fields = good;
    change(fields);
    return Dib(fields, after);
  };
  Bytes truncatedHeader = Dib(good);
  truncatedHeader.resize(100);

  struct Case {
    std::string name;
    Bytes block;
    DecodeStatus expected;
  };
  const std::vector<Case> cases = {
      {"empty", {}, DecodeStatus::Corrupt},
      {"three bytes", {124, 0, 0}, DecodeStatus::Corrupt},
      {"header cut short", truncatedHeader, DecodeStatus::Corrupt},
      {"core header", with([](auto& s) { s.size = 12; }, pixels), DecodeStatus::NotThisFormat},
      {"unknown header size", with([](auto& s) { s.size = 64; }, pixels), DecodeStatus::NotThisFormat},
      {"run-length 8", with([](auto& s) { s.bitCount = 8, s.compression = DibRle8; }, pixels), DecodeStatus::NotThisFormat},
      {"JPEG inside", with([](auto& s) { s.bitCount = 0, s.compression = DibJpeg; }, pixels), DecodeStatus::NotThisFormat},
      {"PNG inside", with([](auto& s) { s.bitCount = 0, s.compression = DibPng; }, pixels), DecodeStatus::NotThisFormat},
      {"zero width", with([](auto& s) { s.width = 0; }, pixels), DecodeStatus::Corrupt},
      {"negative width", with([](auto& s) { s.width = -2; }, pixels), DecodeStatus::Corrupt},
      {"zero height", with([](auto& s) { s.height = 0; }, pixels), DecodeStatus::Corrupt},
      {"smallest height", with([](auto& s) { s.height = INT_MIN; }, pixels), DecodeStatus::TooLarge},
      {"width beyond the limit", with([](auto& s) { s.width = 32768; }, pixels), DecodeStatus::TooLarge},
      {"2 bits", with([](auto& s) { s.bitCount = 2, s.compression = DibRgb; }, pixels), DecodeStatus::Corrupt},
      {"masks at 24 bits", with([](auto& s) { s.bitCount = 24; }, pixels), DecodeStatus::Corrupt},
      {"mask in two runs", with([](auto& s) { s.red = 0xFF00FF; }, pixels), DecodeStatus::Corrupt},
      {"16-bit mask wider than the pixel", with([](auto& s) { s.bitCount = 16, s.red = 0x1F0000; }, pixels),
       DecodeStatus::Corrupt},
      {"pixels one byte short", with([](auto&) {}, Bytes(15, 0)), DecodeStatus::Corrupt},
      {"huge 1-bit picture, small block",
       with([](auto& s) { s.width = 16384, s.height = 16384, s.bitCount = 1, s.compression = DibRgb; }, Bytes(4096, 0)),
       DecodeStatus::Corrupt},
      // Refused by the budget before the block is measured: 16384 × 16385 pixels are one row too many.
      {"one row beyond the pixel budget",
       with([](auto& s) { s.width = 16384, s.height = -16385, s.bitCount = 1, s.compression = DibRgb; }, Bytes(4096, 0)),
       DecodeStatus::TooLarge},
      {"masks after the short header cut", Dib({.bitCount = 32, .compression = DibBitFields}, {0, 0, 0xFF, 0, 0, 0xFF}),
       DecodeStatus::Corrupt},
      {"colour table past the block", Dib({.bitCount = 8, .coloursUsed = 0xFFFFFFFF}, Bytes(64, 0)),
       DecodeStatus::Corrupt},
      {"full table but no pixels", Dib({.bitCount = 8}, Bytes(1024, 0)), DecodeStatus::Corrupt},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const Decoded result = Decode(test.block);
    EXPECT_EQ(result.status, test.expected);
    EXPECT_TRUE(result.picture.bgra.empty());
    EXPECT_FALSE(result.alphaMeaningful);
  }
}

TEST(ClipboardDibDecode, MasksRepeatedAfterTheLongHeaderAreSkippedOnlyWhenThereIsRoomForThem) {
  const DibHeaderFields v5{.size = DibV5HeaderSize, .width = 3, .bitCount = 32, .compression = DibBitFields,
                         .red = 0xFF0000, .green = 0xFF00, .blue = 0xFF};
  const Bytes masks = Words32({0xFF0000, 0xFF00, 0xFF});
  const Bytes row = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0};
  Decoded result = Decode(Dib(v5, Joined({masks, row})));
  ASSERT_EQ(result.status, DecodeStatus::Ok);
  EXPECT_EQ(result.picture.bgra, (Bytes{1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255}));

  // Pixels that happen to look like the masks are still pixels when the block holds nothing else.
  result = Decode(Dib(v5, masks));
  ASSERT_EQ(result.status, DecodeStatus::Ok);
  EXPECT_EQ(result.picture.bgra, (Bytes{0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255}));
}

// --- the block the program offers ---------------------------------------------------------------

AlphaPicture SmallPicture() {
  AlphaPicture picture;
  AllocateAlphaPicture(picture, 3, 2);
  picture.bgra = {1, 2, 3, 0, 4, 5, 6, 64, 7, 8, 9, 128, 10, 11, 12, 192, 13, 14, 15, 255, 16, 17, 18, 1};
  return picture;
}

TEST(ClipboardDibV5, HeaderDescribesStraightBottomUpPixelsAndDecodesBack) {
  const AlphaPicture picture = SmallPicture();
  const Bytes block = MakeClipboardDibV5(picture);
  ASSERT_EQ(block.size(), 124u + 3 * 2 * 4);
  EXPECT_EQ(Get32(block, 0), 124u);
  EXPECT_EQ(Get32(block, 4), 3u);
  EXPECT_EQ(Get32(block, 8), 2u) << "positive height: bottom row first";
  EXPECT_EQ(block[14], 32);
  EXPECT_EQ(Get32(block, 16), uint32_t{DibBitFields});
  EXPECT_EQ(Get32(block, 20), 24u) << "size of the pixels";
  EXPECT_EQ(Words32({Get32(block, 40), Get32(block, 44), Get32(block, 48), Get32(block, 52)}),
            Words32({0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}));
  EXPECT_EQ(std::string(block.begin() + 56, block.begin() + 60), "BGRs") << "'sRGB' as a little-endian number";
  EXPECT_EQ(Bytes(block.begin() + 124, block.begin() + 136), Bytes(picture.bgra.begin() + 12, picture.bgra.end()));

  const Decoded result = Decode(block);
  ASSERT_EQ(result.status, DecodeStatus::Ok);
  EXPECT_TRUE(result.alphaMeaningful);
  EXPECT_EQ(result.picture.width, 3);
  EXPECT_EQ(result.picture.height, 2);
  EXPECT_EQ(result.picture.bgra, picture.bgra);

  AlphaPicture incomplete = picture;
  incomplete.bgra.pop_back();
  EXPECT_TRUE(MakeClipboardDibV5(incomplete).empty());
  EXPECT_TRUE(MakeClipboardDibV5(AlphaPicture{}).empty());
}

// --- blending -----------------------------------------------------------------------------------

TEST(AlphaPictureBlend, CompositeOverWeighsColourAndBackgroundByAlpha) {
  AlphaPicture picture;
  ASSERT_TRUE(AllocateAlphaPicture(picture, 3, 1));
  // Blue 10, green 200, red 255, at alpha 0, 128 and 255.
  picture.bgra = {10, 200, 255, 0, 10, 200, 255, 128, 10, 200, 255, 255};
  EXPECT_TRUE(HasTransparency(picture));
  PixelImage out;
  ASSERT_TRUE(CompositeOver(picture, 230, 230, 250, out));
  ASSERT_EQ(out.width, 3);
  ASSERT_EQ(out.height, 1);
  EXPECT_FALSE(out.bottomUp);
  // 128: (colour × 128 + background × 127) / 255, rounded.
  EXPECT_EQ(Bytes(out.Row(0), out.Row(0) + 9), (Bytes{250, 230, 230, 130, 215, 243, 10, 200, 255}));

  picture.bgra[3] = picture.bgra[7] = 255;
  EXPECT_FALSE(HasTransparency(picture));

  picture.bgra.resize(8);
  EXPECT_FALSE(CompositeOver(picture, 255, 255, 255, out));
  EXPECT_TRUE(out.pixels.empty());
}

}  // namespace

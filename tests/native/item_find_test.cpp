#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/item_find.h"

namespace {

std::vector<uint8_t> BmpStart(int32_t width, int32_t height) {
  std::vector<uint8_t> bytes(54, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  const auto put = [&](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  put(14, 40);
  put(18, static_cast<uint32_t>(width));
  put(22, static_cast<uint32_t>(height));
  return bytes;
}

TEST(PictureFileSize, ReadsBmpAndPngSidesAndRefusesWhatTellsNone) {
  int32_t width = 0, height = 0;
  ASSERT_TRUE(PictureFileSize(BmpStart(1920, 1080), width, height));
  EXPECT_EQ(width, 1920);
  EXPECT_EQ(height, 1080);
  // A top-down bitmap stores its height negative.
  ASSERT_TRUE(PictureFileSize(BmpStart(640, -480), width, height));
  EXPECT_EQ(height, 480);

  const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                    0, 0, 0x0F, 0, 0, 0, 0x08, 0x70, 8, 2, 0, 0, 0};
  ASSERT_TRUE(PictureFileSize(png, width, height));
  EXPECT_EQ(width, 3840);
  EXPECT_EQ(height, 2160);

  // Ancillary chunks before the header are passed over, as the decoders do (here a gAMA whose
  // checksum is wrong); a critical one first, or one running past the bytes read, tells nothing.
  const auto chunkFirst = [&](char first, uint8_t length) {
    std::vector<uint8_t> bytes(png.begin(), png.begin() + 8);
    const std::vector<uint8_t> chunk = {0, 0, 0, length, static_cast<uint8_t>(first), 'A', 'M', 'A', 0, 0, 0xB1, 0x8F,
                                        1, 2, 3, 4};
    bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    bytes.insert(bytes.end(), png.begin() + 8, png.end());
    return bytes;
  };
  width = height = 0;
  ASSERT_TRUE(PictureFileSize(chunkFirst('g', 4), width, height));
  EXPECT_EQ(width, 3840);
  EXPECT_EQ(height, 2160);

  for (const std::vector<uint8_t>& refused :
       {BmpStart(0, 10), BmpStart(10, 0), BmpStart(-5, 10), std::vector<uint8_t>(png.begin(), png.begin() + 20),
        std::vector<uint8_t>{'B', 'M', 0}, std::vector<uint8_t>{}, chunkFirst('G', 4), chunkFirst('g', 200),
        std::vector<uint8_t>(png.begin(), png.begin() + 18)}) {
    EXPECT_FALSE(PictureFileSize(refused, width, height));
  }
}

TEST(PictureFindText, HoldsTheThumbnailCaptionAndTheWaysASizeIsTyped) {
  const std::u16string text = PictureFindText(1920, 1080);
  for (const char16_t* typed : {u"1920 * 1080", u"1920 \u00D7 1080", u"1920 x 1080", u"1920x1080", u"1080"}) {
    EXPECT_NE(text.find(typed), std::u16string::npos);
  }
  // The forms are lines of their own: no search runs from one into the next.
  EXPECT_EQ(text.find(u"10801920"), std::u16string::npos);
}

}  // namespace

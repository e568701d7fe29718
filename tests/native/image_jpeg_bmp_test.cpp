// JPEG decoding against libjpeg-turbo's test pictures, the encoder's quality scale, the BMP layout,
// row sizes and the codec table.
#include <gtest/gtest.h>

#include "tests/native/image_test_support.h"

namespace {

using namespace imagetest;

fs::path TestImages() { return DepsDir() / "src/libjpeg-turbo/testimages"; }

TEST(ImageJpegDecode, TestPicturesMatchImageMagick) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  if (!fs::is_directory(TestImages())) GTEST_SKIP() << "libjpeg-turbo's test pictures are missing; run scripts/bootstrap";
  TempDir temp;
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(TestImages())) {
    if (entry.path().extension() != ".jpg") continue;
    SCOPED_TRACE(entry.path().string());
    const std::vector<uint8_t> file = ReadBytes(entry.path());
    PixelImage image;
    const DecodeStatus status = DecodeJpeg(file.data(), file.size(), image);
    int width = 0, height = 0;
    std::vector<uint8_t> reference;
    if (!ImageMagickBgr(entry.path(), temp, width, height, reference)) {
      // 12-bit samples: neither the program's libjpeg nor ImageMagick's reads them.
      EXPECT_NE(status, DecodeStatus::Ok);
      continue;
    }
    ASSERT_EQ(status, DecodeStatus::Ok);
    // ImageMagick decodes with the same library and the same defaults (slow integer DCT, fancy
    // upsampling), so the samples are expected to be identical, not merely close.
    EXPECT_EQ(LargestDifference(image, reference, width, height), 0);
    ++compared;
  }
  EXPECT_GE(compared, 3);  // baseline, progressive and arithmetic-coded
}

// Quantisation table 0 of a JPEG file, as written in its first DQT segment.
std::vector<int> FirstQuantTable(const std::vector<uint8_t>& file) {
  for (size_t at = 2; at + 4 < file.size();) {
    if (file[at] != 0xFF) return {};
    const int marker = file[at + 1];
    const size_t length = (size_t{file[at + 2]} << 8) | file[at + 3];
    if (marker == 0xDB && at + 2 + length <= file.size()) {
      const bool sixteenBits = (file[at + 4] >> 4) != 0;
      std::vector<int> table;
      for (int i = 0; i < 64; ++i) {
        const size_t p = at + 5 + (sixteenBits ? 2 * i : i);
        table.push_back(sixteenBits ? (file[p] << 8) | file[p + 1] : file[p]);
      }
      return table;
    }
    at += 2 + length;
  }
  return {};
}

std::vector<uint8_t> JpegOf(const PixelImage& image, int quality) {
  std::vector<uint8_t> out;
  EXPECT_TRUE(EncodeJpeg(image, quality, out));
  return out;
}

TEST(ImageJpegEncode, QualityScaleIsTenTimesClampedQuality) {
  EXPECT_EQ(JpegLibraryQuality(10), 100);
  EXPECT_EQ(JpegLibraryQuality(12), 100);
  EXPECT_EQ(JpegLibraryQuality(7), 70);
  EXPECT_EQ(JpegLibraryQuality(-1), 0);

  const PixelImage picture = Pattern(40, 24);
  // libjpeg quality 100 makes every quantiser 1.
  const std::vector<int> best = FirstQuantTable(JpegOf(picture, 10));
  ASSERT_EQ(best.size(), 64u);
  EXPECT_EQ(best, std::vector<int>(64, 1));
  EXPECT_EQ(JpegOf(picture, 12), JpegOf(picture, 10));
  // Quality 0 is libjpeg's worst: the standard luminance DC quantiser 16 scaled by 50, not
  // limited to 8 bits because baseline is not forced.
  const std::vector<int> worst = FirstQuantTable(JpegOf(picture, 0));
  ASSERT_EQ(worst.size(), 64u);
  EXPECT_EQ(worst[0], 800);
  EXPECT_EQ(JpegOf(picture, -1), JpegOf(picture, 0));
  // The default 7 gives libjpeg 70: 16 × 60 / 100, rounded.
  EXPECT_EQ(FirstQuantTable(JpegOf(picture, DefaultImageQuality))[0], 10);
}

TEST(ImageJpegEncode, ThreeComponentsAndColoursKept) {
  // A smooth picture: at quality 100 only rounding and chroma subsampling change it.
  PixelImage smooth;
  ASSERT_TRUE(AllocatePixelImage(smooth, 64, 48, true));
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      uint8_t* p = smooth.Row(y) + x * 3;
      p[0] = static_cast<uint8_t>(40 + x);   // blue grows to the right
      p[1] = static_cast<uint8_t>(60 + y);   // green grows downwards
      p[2] = static_cast<uint8_t>(200 - x);  // red falls to the right
    }
  }
  const std::vector<uint8_t> file = JpegOf(smooth, 10);
  PixelImage back;
  ASSERT_EQ(DecodeJpeg(file.data(), file.size(), back), DecodeStatus::Ok);
  EXPECT_LE(LargestDifference(back, [&] {
              std::vector<uint8_t> packed;
              for (int y = 0; y < 48; ++y) packed.insert(packed.end(), smooth.Row(y), smooth.Row(y) + 64 * 3);
              return packed;
            }(), 64, 48),
            3);

  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's identify is not installed";
  TempDir temp;
  WriteBytes(temp / "smooth.jpg", file);
  EXPECT_EQ(Identify(temp / "smooth.jpg", "%[colorspace] %[channels] %Q", temp), "sRGB srgb 100");
}

TEST(ImageJpegDecode, RefusesImpossibleSizesAndDamage) {
  const std::vector<uint8_t> file = ReadBytes(TestImages() / "testorig.jpg");
  if (file.empty()) GTEST_SKIP() << "libjpeg-turbo's test pictures are missing; run scripts/bootstrap";
  PixelImage image;
  EXPECT_EQ(DecodeJpeg(file.data(), 1, image), DecodeStatus::NotThisFormat);
  EXPECT_EQ(DecodeJpeg(file.data(), 200, image), DecodeStatus::Corrupt);  // ends inside the header

  // Find the frame header and claim 30000 × 30000 for the 5 KB file.
  std::vector<uint8_t> huge = file;
  size_t sof = 0;
  for (size_t at = 2; at + 9 < huge.size(); ++at) {
    if (huge[at] == 0xFF && huge[at + 1] == 0xC0) {
      sof = at;
      break;
    }
  }
  ASSERT_NE(sof, 0u);
  const auto setSides = [&](int width, int height) {
    huge[sof + 5] = static_cast<uint8_t>(height >> 8);
    huge[sof + 6] = static_cast<uint8_t>(height & 0xFF);
    huge[sof + 7] = static_cast<uint8_t>(width >> 8);
    huge[sof + 8] = static_cast<uint8_t>(width & 0xFF);
  };
  testing::internal::CaptureStderr();
  // Within the pixel budget but far more pixels than the file holds; one row over the budget.
  setSides(16384, 16384);
  EXPECT_EQ(DecodeJpeg(huge.data(), huge.size(), image), DecodeStatus::Corrupt);
  setSides(16384, 16385);
  EXPECT_EQ(DecodeJpeg(huge.data(), huge.size(), image), DecodeStatus::TooLarge);
  // A truncated scan still gives the picture, as every JPEG viewer shows it, and prints nothing.
  EXPECT_EQ(DecodeJpeg(file.data(), file.size() / 2, image), DecodeStatus::Ok);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(image.width, 227);
}

TEST(ImageRows, RowSizeIsRowPaddedToFourBytes) {
  EXPECT_EQ(RowSize(1), 4);
  EXPECT_EQ(RowSize(5), 16);
  for (int width = 1; width <= MaxImageSide; ++width) {
    ASSERT_EQ(RowSize(width), (width * 3 + 3) / 4 * 4) << width;
  }
  PixelImage image;
  EXPECT_FALSE(AllocatePixelImage(image, 0, 5));
  EXPECT_FALSE(AllocatePixelImage(image, 5, -1));
  EXPECT_FALSE(AllocatePixelImage(image, MaxImageSide + 1, 1));
  EXPECT_TRUE(image.pixels.empty());
  ASSERT_TRUE(AllocatePixelImage(image, 5, 3, true));
  EXPECT_EQ(image.pixels.size(), 48u);
  EXPECT_EQ(image.Row(0), image.pixels.data() + 32);  // bottom-up: the top row is stored last
}

uint32_t LittleEndian(const std::vector<uint8_t>& bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
  return value;
}

TEST(ImageBmp, LayoutAndImageMagickReadsSamePixels) {
  TempDir temp;
  for (int width : {1, 5, 8, 37}) {
    SCOPED_TRACE(width);
    const PixelImage picture = Pattern(width, 7, width % 2 == 1);
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeBmp(picture, 0, file));
    ASSERT_EQ(file.size(), BmpFileSize(width, 7));
    EXPECT_EQ(file.size(), 54u + 7u * RowSize(width));
    EXPECT_EQ(std::string(file.begin(), file.begin() + 2), "BM");
    EXPECT_EQ(LittleEndian(file, 2, 4), file.size());
    EXPECT_EQ(LittleEndian(file, 6, 4), 0u);
    EXPECT_EQ(LittleEndian(file, 10, 4), 54u);
    EXPECT_EQ(LittleEndian(file, 14, 4), 40u);
    EXPECT_EQ(LittleEndian(file, 18, 4), static_cast<uint32_t>(width));
    EXPECT_EQ(LittleEndian(file, 22, 4), 7u);
    EXPECT_EQ(LittleEndian(file, 26, 2), 1u);
    EXPECT_EQ(LittleEndian(file, 28, 2), 24u);
    EXPECT_EQ(LittleEndian(file, 30, 4), 0u);
    EXPECT_EQ(LittleEndian(file, 34, 4), 7u * RowSize(width));
    // Bottom row first.
    EXPECT_TRUE(std::equal(picture.Row(6), picture.Row(6) + width * 3, file.begin() + 54));

    if (!HaveImageMagick()) continue;
    WriteBytes(temp / "picture.bmp", file);
    int w = 0, h = 0;
    std::vector<uint8_t> reference;
    ASSERT_TRUE(ImageMagickBgr(temp / "picture.bmp", temp, w, h, reference));
    EXPECT_EQ(LargestDifference(picture, reference, w, h), 0);
  }
}

TEST(ImageJpegDecode, RequiredSizeIsCheckedByTheHeader) {
  std::vector<uint8_t> thumbnail, wider;
  ASSERT_TRUE(EncodeJpeg(Pattern(278, 60), 7, thumbnail));
  ASSERT_TRUE(EncodeJpeg(Pattern(279, 60), 7, wider));
  PixelImage image;
  EXPECT_EQ(DecodeJpeg(thumbnail.data(), thumbnail.size(), image, RequiredSize{278, 60}), DecodeStatus::Ok);
  EXPECT_EQ(DecodeJpeg(wider.data(), wider.size(), image, RequiredSize{278, 60}), DecodeStatus::WrongSize);
  EXPECT_TRUE(image.pixels.empty());
}

// A BMP header as the system's loader would size its picture from it: the sides within the budget
// (and the required ones), and uncompressed rows inside the file.
TEST(ImageBmp, PlausibleHeaderKeepsToTheBudgetAndTheFile) {
  const auto header = [](int32_t width, int32_t height, uint16_t bits, uint32_t compression, uint32_t fileSize) {
    std::vector<uint8_t> start(BmpStartSize, 0);
    const auto put = [&](size_t at, uint32_t value, int bytes) {
      for (int i = 0; i < bytes; ++i) start[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    start[0] = 'B', start[1] = 'M';
    put(2, fileSize, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(width), 4);
    put(22, static_cast<uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, bits, 2);
    put(30, compression, 4);
    return start;
  };
  const auto plausible = [&](int32_t width, int32_t height, uint16_t bits, uint32_t compression, uint32_t fileSize,
                             RequiredSize required = AnySize) {
    const std::vector<uint8_t> start = header(width, height, bits, compression, fileSize);
    return IsPlausibleBmpFile(start.data(), start.size(), fileSize, required);
  };
  constexpr uint32_t Rle8 = 1;
  // Run-length pixels may be short: only the budget bounds them, exactly or one row over.
  EXPECT_TRUE(plausible(16384, 16384, 8, Rle8, 5000));
  EXPECT_FALSE(plausible(16384, 16385, 8, Rle8, 5000));
  EXPECT_FALSE(plausible(16384, -16385, 8, Rle8, 5000));
  EXPECT_FALSE(plausible(32768, 1, 8, Rle8, 5000));
  // Uncompressed rows must all be in the file: 278 × 60 at 24 bits takes 60 rows of 836 bytes, of
  // which the last may lack its 2 bytes of padding.
  const uint32_t whole = 54 + 836 * 60;
  EXPECT_TRUE(plausible(278, 60, 24, 0, whole));
  EXPECT_TRUE(plausible(278, 60, 24, 0, whole - 2));
  EXPECT_FALSE(plausible(278, 60, 24, 0, whole - 3));
  EXPECT_FALSE(plausible(278, -60, 32, 3, whole));
  // A thumbnail's size, and one pixel more.
  EXPECT_TRUE(plausible(278, -60, 24, 0, whole, RequiredSize{278, 60}));
  EXPECT_FALSE(plausible(279, 60, 24, 0, whole + 60 * 4, RequiredSize{278, 60}));
  // A start too short to hold the sides tells nothing the loader could rely on.
  const std::vector<uint8_t> start = header(278, 60, 24, 0, whole);
  EXPECT_FALSE(IsPlausibleBmpFile(start.data(), BmpStartSize - 1, whole));
}

TEST(ImageBmp, PlausibleHeaderCheck) {
  std::vector<uint8_t> file;
  ASSERT_TRUE(EncodeBmp(Pattern(3, 2), 0, file));
  EXPECT_TRUE(IsPlausibleBmpFile(file.data(), file.size(), file.size()));
  EXPECT_FALSE(IsPlausibleBmpFile(file.data(), 17, file.size()));  // header not read completely
  EXPECT_FALSE(IsPlausibleBmpFile(file.data(), 18, 30));            // information header cut off
  EXPECT_FALSE(IsPlausibleBmpFile(file.data(), 18, 54));            // no pixel data at all
  std::vector<uint8_t> odd = file;
  odd[14] = 41;  // no such header version
  EXPECT_FALSE(IsPlausibleBmpFile(odd.data(), odd.size(), odd.size()));
  odd = file;
  odd[10] = 20;  // pixels said to start inside the header
  EXPECT_FALSE(IsPlausibleBmpFile(odd.data(), odd.size(), odd.size()));
  odd = file;
  odd[0] = 'P';
  EXPECT_FALSE(IsPlausibleBmpFile(odd.data(), odd.size(), odd.size()));
}

TEST(ImageCodecTable, RegistrationOrderAndLookup) {
  ImageCodecs codecs;
  RegisterImageCodecs(codecs);
  RegisterImageCodecs(codecs);  // a second start-up registration adds nothing
  ASSERT_EQ(codecs.decoders.size(), 2u);
  EXPECT_STREQ(codecs.decoders[0]->name, "PNG");
  EXPECT_STREQ(codecs.decoders[1]->name, "JPEG");
  ASSERT_EQ(codecs.encoders.size(), 2u);
  EXPECT_EQ(codecs.encoders[0]->encoding, ImageEncoding::Png);
  EXPECT_EQ(codecs.encoders[1]->encoding, ImageEncoding::Jpeg);

  const PixelImage picture = Pattern(9, 4);
  for (ImageEncoding encoding : {ImageEncoding::Png, ImageEncoding::Jpeg}) {
    std::vector<uint8_t> file;
    ASSERT_TRUE(FindImageEncoder(codecs, encoding)->encode(picture, 10, file));
    PixelImage back;
    EXPECT_EQ(DecodeImage(codecs, file.data(), file.size(), back), DecodeStatus::Ok);
    EXPECT_EQ(back.width, 9);
  }
  std::vector<uint8_t> bmp;
  ASSERT_TRUE(FindImageEncoder(codecs, ImageEncoding::Bmp)->encode(picture, 10, bmp));
  PixelImage none;
  EXPECT_EQ(DecodeImage(codecs, bmp.data(), bmp.size(), none), DecodeStatus::NotThisFormat);
  EXPECT_EQ(DecodeImage(ImageCodecs{}, bmp.data(), 0, none), DecodeStatus::NotThisFormat);
}

}  // namespace

// Deflate in pieces and the PNG files made with it: one valid zlib stream whatever the cut and the
// number of threads, pictures that read back exactly (our decoder and ImageMagick), and files
// barely larger than level 9 in one piece makes them.
#include <zlib.h>

#include <gtest/gtest.h>

#include "exchange/image/png_parallel.h"
#include "tests/native/image_test_support.h"

namespace {

using namespace imagetest;

// Text-like data with repeats near and far, so that matches cross the cuts between pieces.
std::vector<uint8_t> Sample(size_t size) {
  std::vector<uint8_t> data(size);
  uint32_t state = 12345;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    data[i] = (i >= 5000 && (state >> 20) % 4 != 0) ? data[i - 5000 + (state >> 28)] : static_cast<uint8_t>('a' + (state >> 24) % 26);
  }
  return data;
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& stream, size_t expected) {
  std::vector<uint8_t> out(expected + 1);
  uLongf size = out.size();
  if (uncompress(out.data(), &size, stream.data(), stream.size()) != Z_OK) return {};
  out.resize(size);
  return out;
}

TEST(DeflateInPieces, OneValidStreamForEveryCutAndThreadCount) {
  const std::vector<uint8_t> data = Sample(200000);
  const DeflateEffort effort = PictureDeflateEffort();
  for (size_t size : {size_t{0}, size_t{1}, size_t{65536}, size_t{65537}, data.size()}) {
    for (size_t piece : {size_t{1000}, size_t{32768}, size_t{65536}, size_t{1} << 20}) {
      SCOPED_TRACE("size " + std::to_string(size) + ", piece " + std::to_string(piece));
      std::vector<uint8_t> single;
      ASSERT_TRUE(DeflateInPieces(data.data(), size, single, effort, piece, 1));
      // uncompress checks the Adler-32 that the pieces' sums were combined into.
      EXPECT_EQ(Inflate(single, size), std::vector<uint8_t>(data.begin(), data.begin() + size));
      for (unsigned threads : {2u, 5u, 0u}) {
        std::vector<uint8_t> parallel;
        ASSERT_TRUE(DeflateInPieces(data.data(), size, parallel, effort, piece, threads));
        EXPECT_EQ(parallel, single) << threads << " threads";
      }
    }
  }
}

TEST(DeflateInPieces, AppendsAndRefusesAnEmptyPieceSize) {
  const std::vector<uint8_t> data = Sample(3000);
  std::vector<uint8_t> out = {1, 2, 3};
  EXPECT_FALSE(DeflateInPieces(data.data(), data.size(), out, PictureDeflateEffort(), 0, 1));
  EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3}));
  ASSERT_TRUE(DeflateInPieces(data.data(), data.size(), out, PictureDeflateEffort(), 1000, 2));
  EXPECT_EQ(Inflate(std::vector<uint8_t>(out.begin() + 3, out.end()), data.size()), data);
}

TEST(DeflateInPieces, PrimedPiecesCostLittleOverOneStream) {
  const std::vector<uint8_t> data = Sample(3 << 20);
  std::vector<uint8_t> whole, pieces;
  ASSERT_TRUE(DeflateInPieces(data.data(), data.size(), whole, DeflateEffort{}, size_t{1} << 30, 1));
  ASSERT_TRUE(DeflateInPieces(data.data(), data.size(), pieces, DeflateEffort{}, ParallelDeflatePiece, 2));
  EXPECT_LE(pieces.size(), whole.size() + 200);
}

// A screen-like picture from ImageMagick: a page of text, flat panels and a fractal "photo".
bool MakeScreen(const TempDir& temp, PixelImage& image) {
  const fs::path file = temp / "screen.png";
  const std::string command =
      "convert -seed 7 -size 1600x900 xc:'#f0f0f0' -fill '#0078d7' -draw 'rectangle 0,0 1599,30' "
      "-fill white -draw 'rectangle 10,40 760,880' "
      "\\( -size 740x830 -background white -fill black -font Liberation-Sans -pointsize 12 "
      "caption:@/usr/share/common-licenses/GPL-3 \\) -geometry +16+46 -composite "
      "\\( -size 700x500 plasma:fractal -blur 0x1 \\) -geometry +820+200 -composite "
      "-type TrueColor -depth 8 PNG24:" + Quote(file);
  if (!RunQuietly(command)) return false;
  const std::vector<uint8_t> bytes = ReadBytes(file);
  return DecodePng(bytes.data(), bytes.size(), image) == DecodeStatus::Ok;
}

TEST(PngInPieces, LargePicturesReadBackExactly) {
  // 1001 × 700: rows padded in memory, more raw bytes than one piece; also stored bottom row first.
  for (bool bottomUp : {false, true}) {
    SCOPED_TRACE(bottomUp ? "bottom-up" : "top-down");
    const PixelImage image = Pattern(1001, 700, bottomUp);
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodePng(image, DefaultImageQuality, file));
    ASSERT_GE(file.size(), 33u);
    EXPECT_EQ(BigEndian32(&file[16]), 1001u);
    EXPECT_EQ(BigEndian32(&file[20]), 700u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 24, file.begin() + 29), (std::vector<uint8_t>{8, 2, 0, 0, 0}));

    PixelImage decoded;
    ASSERT_EQ(DecodePng(file.data(), file.size(), decoded), DecodeStatus::Ok);
    EXPECT_EQ(LargestDifference(decoded, [&] {
                std::vector<uint8_t> bgr;
                for (int y = 0; y < image.height; ++y) bgr.insert(bgr.end(), image.Row(y), image.Row(y) + 3 * image.width);
                return bgr;
              }(), image.width, image.height), 0);

    if (!HaveImageMagick()) continue;
    TempDir temp;
    WriteBytes(temp / "ours.png", file);
    int width = 0, height = 0;
    std::vector<uint8_t> reference;
    ASSERT_TRUE(ImageMagickBgr(temp / "ours.png", temp, width, height, reference));
    EXPECT_EQ(LargestDifference(image, reference, width, height), 0);
    EXPECT_EQ(Identify(temp / "ours.png", "%[interlace] %[channels] %z", temp).substr(0, 4), "None");
  }
}

TEST(PngInPieces, ScreenshotWithinTwoPercentOfLevelNine) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  TempDir temp;
  PixelImage screen;
  ASSERT_TRUE(MakeScreen(temp, screen));
  std::vector<uint8_t> ours, reference;
  ASSERT_TRUE(EncodePng(screen, DefaultImageQuality, ours));
  // What libpng writes: level 9 over the same rows, in one stream.
  ASSERT_TRUE(EncodePngInPieces(screen, reference, DeflateEffort{}, size_t{1} << 30, 1));
  EXPECT_LE(static_cast<double>(ours.size()), 1.02 * static_cast<double>(reference.size()));
  PixelImage decoded;
  ASSERT_EQ(DecodePng(ours.data(), ours.size(), decoded), DecodeStatus::Ok);
  EXPECT_EQ(decoded.pixels, screen.pixels);
}

TEST(PngInPieces, RefusesWhatCannotBeAPicture) {
  PixelImage image = Pattern(600, 600);
  image.pixels.resize(image.pixels.size() - 1);
  std::vector<uint8_t> out = {9};
  EXPECT_FALSE(EncodePngInPieces(image, out, PictureDeflateEffort()));
  EXPECT_FALSE(EncodePng(image, DefaultImageQuality, out));
  EXPECT_EQ(out, std::vector<uint8_t>{9});
}

}  // namespace

// PNG decoding against libpng's own test pictures (ImageMagick as the reference) and the encoder's
// output as ImageMagick and zlib see it.
#include <zlib.h>

#include <gtest/gtest.h>

#include "exchange/image/alpha_picture.h"
#include "tests/native/image_test_support.h"

namespace {

using namespace imagetest;

std::vector<fs::path> PngFilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
    if (entry.path().extension() == ".png" && entry.path().parent_path().filename() != "crashers") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool IsSixteenBit(const std::vector<uint8_t>& file) { return file.size() > 24 && file[24] == 16; }

TEST(ImagePngDecode, LibpngTestPicturesMatchImageMagick) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  std::vector<fs::path> files = PngFilesIn(DepsDir() / "src/libpng/contrib/pngsuite");
  const std::vector<fs::path> more = PngFilesIn(DepsDir() / "src/libpng/contrib/testpngs");
  if (files.empty() || more.empty()) GTEST_SKIP() << "libpng's test pictures are missing; run scripts/bootstrap";
  files.insert(files.end(), more.begin(), more.end());

  TempDir temp;
  int compared = 0;
  for (const fs::path& path : files) {
    SCOPED_TRACE(path.string());
    // The program applies no gamma or colour conversion, so the reference must not either.
    const std::vector<uint8_t> file = WithoutChunks(ReadBytes(path), {"gAMA", "cHRM", "sRGB", "iCCP"});
    const fs::path plain = temp / "plain.png";
    WriteBytes(plain, file);

    PixelImage image;
    ASSERT_EQ(DecodePng(file.data(), file.size(), image), DecodeStatus::Ok);
    int width = 0, height = 0;
    std::vector<uint8_t> reference;
    ASSERT_TRUE(ImageMagickBgr(plain, temp, width, height, reference));
    // 16-bit samples: libpng drops the low byte where ImageMagick rounds.
    EXPECT_LE(LargestDifference(image, reference, width, height), IsSixteenBit(file) ? 1 : 0);
    EXPECT_EQ(image.pixels.size(), static_cast<size_t>(RowSize(width)) * height);
    ++compared;
  }
  EXPECT_GT(compared, 150);
}

TEST(ImagePngDecode, DamagedFilesFailQuietlyOrDecode) {
  const fs::path folder = DepsDir() / "src/libpng/contrib/testpngs/crashers";
  if (!fs::is_directory(folder)) GTEST_SKIP() << "libpng's crasher pictures are missing; run scripts/bootstrap";
  int tried = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    SCOPED_TRACE(entry.path().string());
    const std::vector<uint8_t> file = ReadBytes(entry.path());
    PixelImage image;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const DecodeStatus status = DecodePng(file.data(), file.size(), image);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    if (status == DecodeStatus::Ok) {
      EXPECT_EQ(image.pixels.size(), static_cast<size_t>(RowSize(image.width)) * image.height);
    } else {
      EXPECT_TRUE(image.pixels.empty());
    }
    ++tried;
  }
  EXPECT_GT(tried, 10);
}

std::vector<uint8_t> Ihdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType) {
  std::vector<uint8_t> data;
  PutBigEndian32(data, width);
  PutBigEndian32(data, height);
  data.insert(data.end(), {depth, colorType, 0, 0, 0});
  return data;
}

TEST(ImagePngDecode, RefusesSizesBeyondLimitsAndBeyondTheFile) {
  // A small but valid IDAT: one black grey row of a 1 × 1 picture.
  const uint8_t raw[2] = {0, 0};
  std::vector<uint8_t> idat(compressBound(2));
  uLongf idatSize = idat.size();
  ASSERT_EQ(compress(idat.data(), &idatSize, raw, 2), Z_OK);
  idat.resize(idatSize);

  PixelImage image;
  const auto decode = [&](uint32_t width, uint32_t height) {
    const std::vector<uint8_t> file = BuildPng({{"IHDR", Ihdr(width, height, 8, 0)}, {"IDAT", idat}, {"IEND", {}}});
    return DecodePng(file.data(), file.size(), image);
  };
  EXPECT_EQ(decode(1, 1), DecodeStatus::Ok);
  EXPECT_EQ(decode(32768, 1), DecodeStatus::TooLarge);
  EXPECT_EQ(decode(1, 32768), DecodeStatus::TooLarge);
  // The pixel budget: 16384 × 16384 passes it, but needs 268 MB of pixel data, which a 60-byte
  // file cannot hold; one row more is refused by the budget.
  EXPECT_EQ(decode(16384, 16384), DecodeStatus::Corrupt);
  EXPECT_EQ(decode(16384, 16385), DecodeStatus::TooLarge);
  EXPECT_EQ(decode(32767, 32767), DecodeStatus::TooLarge);
  EXPECT_TRUE(image.pixels.empty());
  // Within what the file can hold but missing rows: a clean failure, not a partial picture.
  EXPECT_EQ(decode(4, 8), DecodeStatus::Corrupt);
  EXPECT_TRUE(image.pixels.empty());
}

TEST(ImagePngDecode, SignatureAndTruncation) {
  const std::vector<uint8_t> file = ReadBytes(DepsDir() / "src/libpng/contrib/pngsuite/basn2c08.png");
  if (file.empty()) GTEST_SKIP() << "libpng's test pictures are missing; run scripts/bootstrap";
  PixelImage image;
  EXPECT_EQ(DecodePng(file.data(), 7, image), DecodeStatus::NotThisFormat);
  for (size_t length : {size_t{8}, size_t{33}, size_t{60}, file.size() - 20}) {
    EXPECT_EQ(DecodePng(file.data(), length, image), DecodeStatus::Corrupt) << length;
    EXPECT_TRUE(image.pixels.empty());
  }
  EXPECT_TRUE(IsPngFile(file.data(), file.size()));
  EXPECT_FALSE(IsJpegFile(file.data(), file.size()));
}

// Rows of the zlib stream inside the encoder's IDAT chunks, each starting with its filter byte.
std::vector<uint8_t> InflatedImageData(const std::vector<uint8_t>& file, int& zlibLevelBits) {
  std::vector<uint8_t> compressed;
  for (const PngChunk& chunk : PngChunks(file)) {
    if (chunk.type == "IDAT") compressed.insert(compressed.end(), chunk.data.begin(), chunk.data.end());
  }
  zlibLevelBits = compressed.size() > 1 ? compressed[1] >> 6 : -1;
  std::vector<uint8_t> raw(1 << 20);
  uLongf rawSize = raw.size();
  if (uncompress(raw.data(), &rawSize, compressed.data(), compressed.size()) != Z_OK) return {};
  raw.resize(rawSize);
  return raw;
}

TEST(ImagePngEncode, WritesPlainRgbThatImageMagickReadsBack) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  TempDir temp;
  for (bool bottomUp : {false, true}) {
    const PixelImage source = Pattern(37, 23, bottomUp);
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodePng(source, 3, file));
    const fs::path path = temp / "written.png";
    WriteBytes(path, file);
    EXPECT_EQ(Identify(path, "%[bit-depth] %[type] %[interlace] %A", temp), "8 TrueColor None False");

    const std::vector<PngChunk> chunks = PngChunks(file);
    ASSERT_FALSE(chunks.empty());
    EXPECT_EQ(chunks[0].data, Ihdr(37, 23, 8, 2));

    int levelBits = 0;
    const std::vector<uint8_t> raw = InflatedImageData(file, levelBits);
    ASSERT_EQ(raw.size(), 23u * (1 + 37 * 3));
    for (int y = 0; y < 23; ++y) EXPECT_EQ(raw[y * (1 + 37 * 3)], 0) << "filter of row " << y;
    EXPECT_EQ(levelBits, 3) << "zlib header does not announce maximum compression";

    int width = 0, height = 0;
    std::vector<uint8_t> reference;
    ASSERT_TRUE(ImageMagickBgr(path, temp, width, height, reference));
    EXPECT_EQ(LargestDifference(source, reference, width, height), 0);
  }
}

TEST(ImagePngEncode, AlphaPictureSavesAsRgbWithColoursUnchanged) {
  const std::vector<uint8_t> file = ReadBytes(DepsDir() / "src/libpng/contrib/pngsuite/basn6a08.png");
  if (file.empty()) GTEST_SKIP() << "libpng's test pictures are missing; run scripts/bootstrap";
  PixelImage decoded;
  ASSERT_EQ(DecodePng(file.data(), file.size(), decoded), DecodeStatus::Ok);
  // The first pixel of basn6a08 is fully transparent: its colour must survive, not be blended.
  std::vector<uint8_t> written;
  ASSERT_TRUE(EncodePng(decoded, 7, written));
  PixelImage again;
  ASSERT_EQ(DecodePng(written.data(), written.size(), again), DecodeStatus::Ok);
  EXPECT_EQ(again.pixels, decoded.pixels);
  EXPECT_EQ(PngChunks(written)[0].data[9], 2) << "colour type";
}

TEST(ImagePngEncode, RefusesPicturesWithoutPixels) {
  PixelImage empty;
  std::vector<uint8_t> out;
  EXPECT_FALSE(EncodePng(empty, 0, out));
  PixelImage lying = Pattern(4, 4);
  lying.height = 40;
  EXPECT_FALSE(EncodePng(lying, 0, out));
  EXPECT_TRUE(out.empty());
}

// --- with alpha --------------------------------------------------------------------------------

// ImageMagick's reading of a picture as 8-bit blue-green-red-alpha samples.
bool ImageMagickBgra(const fs::path& file, const TempDir& temp, int& width, int& height, std::vector<uint8_t>& bgra) {
  const fs::path raw = temp / "reference.bgra";
  const fs::path size = temp / "reference.txt";
  if (!RunQuietly("convert " + Quote(file) + "[0] -alpha on -depth 8 -write bgra:" + Quote(raw) +
                  " -format '%w %h' info:" + Quote(size))) {
    return false;
  }
  std::ifstream in(size);
  if (!(in >> width >> height)) return false;
  bgra = ReadBytes(raw);
  return bgra.size() == static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
}

int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return -1;
  int largest = 0;
  for (size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
  return largest;
}

TEST(ImagePngAlphaDecode, LibpngTestPicturesMatchImageMagick) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const std::vector<fs::path> files = PngFilesIn(DepsDir() / "src/libpng/contrib/pngsuite");
  if (files.empty()) GTEST_SKIP() << "libpng's test pictures are missing; run scripts/bootstrap";
  TempDir temp;
  int transparent = 0;
  for (const fs::path& path : files) {
    SCOPED_TRACE(path.string());
    const std::vector<uint8_t> file = WithoutChunks(ReadBytes(path), {"gAMA", "cHRM", "sRGB", "iCCP"});
    const fs::path plain = temp / "plain.png";
    WriteBytes(plain, file);

    AlphaPicture picture;
    ASSERT_EQ(DecodePngWithAlpha(file.data(), file.size(), picture), DecodeStatus::Ok);
    int width = 0, height = 0;
    std::vector<uint8_t> reference;
    ASSERT_TRUE(ImageMagickBgra(plain, temp, width, height, reference));
    EXPECT_EQ(picture.width, width);
    EXPECT_EQ(picture.height, height);
    EXPECT_LE(LargestDifference(picture.bgra, reference), IsSixteenBit(file) ? 1 : 0);
    // The colours are exactly those the plain decoder gives, which drops alpha without blending.
    PixelImage plainPixels;
    ASSERT_EQ(DecodePng(file.data(), file.size(), plainPixels), DecodeStatus::Ok);
    std::vector<uint8_t> colours;
    for (size_t i = 0; i < picture.bgra.size(); i += 4) colours.insert(colours.end(), &picture.bgra[i], &picture.bgra[i + 3]);
    EXPECT_EQ(imagetest::LargestDifference(plainPixels, colours, width, height), 0);
    transparent += HasTransparency(picture) ? 1 : 0;
  }
  EXPECT_GT(transparent, 10) << "the pictures with alpha or a transparency table";
}

TEST(ImagePngAlphaDecode, PaletteTransparencyTableBecomesAlpha) {
  // Three palette entries, the table naming alpha for the first two; the third stays opaque.
  const uint8_t raw[4] = {0, 0, 1, 2};  // filter byte, then one row of indices
  std::vector<uint8_t> idat(compressBound(4));
  uLongf idatSize = idat.size();
  ASSERT_EQ(compress(idat.data(), &idatSize, raw, 4), Z_OK);
  idat.resize(idatSize);
  const std::vector<uint8_t> file = BuildPng({{"IHDR", Ihdr(3, 1, 8, 3)},
                                              {"PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255}},
                                              {"tRNS", {0, 128}},
                                              {"IDAT", idat},
                                              {"IEND", {}}});
  AlphaPicture picture;
  ASSERT_EQ(DecodePngWithAlpha(file.data(), file.size(), picture), DecodeStatus::Ok);
  EXPECT_EQ(picture.bgra, (std::vector<uint8_t>{0, 0, 255, 0, 0, 255, 0, 128, 255, 0, 0, 255}));
}

TEST(ImagePngAlphaDecode, RefusesWhatThePlainDecoderRefuses) {
  AlphaPicture picture;
  const uint8_t text[] = "not a picture";
  EXPECT_EQ(DecodePngWithAlpha(text, sizeof text, picture), DecodeStatus::NotThisFormat);
  const uint8_t raw[2] = {0, 0};
  std::vector<uint8_t> idat(compressBound(2));
  uLongf idatSize = idat.size();
  ASSERT_EQ(compress(idat.data(), &idatSize, raw, 2), Z_OK);
  idat.resize(idatSize);
  const auto decode = [&](uint32_t width, uint32_t height) {
    const std::vector<uint8_t> file = BuildPng({{"IHDR", Ihdr(width, height, 8, 4)}, {"IDAT", idat}, {"IEND", {}}});
    return DecodePngWithAlpha(file.data(), file.size(), picture);
  };
  EXPECT_EQ(decode(32768, 1), DecodeStatus::TooLarge);
  EXPECT_EQ(decode(16385, 16384), DecodeStatus::TooLarge);
  EXPECT_EQ(decode(16000, 16000), DecodeStatus::Corrupt);
  EXPECT_EQ(decode(4, 8), DecodeStatus::Corrupt);
  EXPECT_TRUE(picture.bgra.empty());
}

TEST(ImagePngAlphaEncode, RoundTripKeepsEveryByteAndWritesRgba) {
  AlphaPicture picture;
  ASSERT_TRUE(AllocateAlphaPicture(picture, 29, 17));
  for (size_t i = 0; i < picture.bgra.size(); ++i) picture.bgra[i] = static_cast<uint8_t>(i * 37 + i / 4);
  std::vector<uint8_t> file = {0xAB};  // appended to, not replaced
  ASSERT_TRUE(EncodePngWithAlpha(picture, file));
  ASSERT_EQ(file[0], 0xAB);
  file.erase(file.begin());
  EXPECT_EQ(PngChunks(file)[0].data, Ihdr(29, 17, 8, 6));
  AlphaPicture again;
  ASSERT_EQ(DecodePngWithAlpha(file.data(), file.size(), again), DecodeStatus::Ok);
  EXPECT_EQ(again.width, 29);
  EXPECT_EQ(again.height, 17);
  EXPECT_EQ(again.bgra, picture.bgra);

  picture.bgra.pop_back();
  std::vector<uint8_t> refused;
  EXPECT_FALSE(EncodePngWithAlpha(picture, refused));
  EXPECT_TRUE(refused.empty());
}

}  // namespace

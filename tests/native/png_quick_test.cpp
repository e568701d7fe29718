// The quick PNG path must give exactly what libpng gives, for every file it accepts, and leave
// everything else (other kinds, damage of any sort) to libpng.
#include <png.h>

#include <random>

#include <gtest/gtest.h>

#include "exchange/image/png_quick.h"
#include "tests/native/image_test_support.h"

namespace {

using namespace imagetest;

void AppendBytes(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// An 8-bit RGB file written by libpng with the filters asked for, its data split into IDAT chunks
// of at most `chunkBytes`.
std::vector<uint8_t> LibpngRgb(const PixelImage& image, int filters, size_t chunkBytes) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendBytes, NoFlush);
  png_set_compression_buffer_size(png, chunkBytes);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < image.height; ++y) png_write_row(png, const_cast<uint8_t*>(image.Row(y)));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// Both paths agree on whether the file is a picture, and on every pixel when it is. True when the
// quick path itself took the file.
bool ExpectSameAsLibpng(QuickPngDecoder& decoder, const std::vector<uint8_t>& file, const std::string& what) {
  PixelImage expected, quick, direct;
  const bool libpngDecoded = DecodePng(file.data(), file.size(), expected) == DecodeStatus::Ok;
  const bool quickDecoded = DecodePngQuickly(decoder, file.data(), file.size(), quick) == DecodeStatus::Ok;
  const bool tookIt = decoder.Decode(file.data(), file.size(), direct) == DecodeStatus::Ok;
  EXPECT_EQ(quickDecoded, libpngDecoded) << what;
  EXPECT_FALSE(tookIt && !libpngDecoded) << what << ": accepted a file libpng refuses";
  if (libpngDecoded && quickDecoded) {
    EXPECT_EQ(quick.width, expected.width) << what;
    EXPECT_EQ(quick.height, expected.height) << what;
    EXPECT_TRUE(quick.pixels == expected.pixels) << what;
  }
  if (tookIt) {
    EXPECT_TRUE(direct.pixels == expected.pixels) << what;
  }
  if (!quickDecoded) {
    EXPECT_TRUE(quick.pixels.empty()) << what;
  }
  return tookIt;
}

// A picture with gradients, edges and noise, so that every filter is chosen somewhere.
PixelImage Varied(int width, int height) {
  PixelImage image = Pattern(width, height);
  std::mt19937 random(static_cast<uint32_t>(width * 31 + height));
  for (int y = height / 2; y < height; ++y) {
    uint8_t* row = image.Row(y);
    for (int i = 0; i < width * 3; i += 1 + static_cast<int>(random() % 5)) row[i] = static_cast<uint8_t>(random());
  }
  return image;
}

TEST(QuickPng, EveryFilterAndChunkingDecodesAsLibpngDoes) {
  QuickPngDecoder decoder;  // one decoder for all: its state must carry nothing from file to file
  const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH,
                         PNG_ALL_FILTERS};
  const int sizes[][2] = {{278, 60}, {1, 1}, {2, 7}, {33, 5}, {640, 3}};
  for (const auto& size : sizes) {
    const PixelImage image = Varied(size[0], size[1]);
    for (int filter : filters) {
      for (size_t chunkBytes : {size_t{8192}, size_t{7}}) {
        const std::vector<uint8_t> file = LibpngRgb(image, filter, chunkBytes);
        ASSERT_FALSE(file.empty());
        const std::string what = std::to_string(size[0]) + "x" + std::to_string(size[1]) + " filter " +
                                 std::to_string(filter) + " chunks " + std::to_string(chunkBytes);
        const bool tookIt = ExpectSameAsLibpng(decoder, file, what);
        // Tiny pictures may compress to more than they hold: those go to libpng, which is fine.
        if (size[0] * size[1] >= 1000) {
          EXPECT_TRUE(tookIt) << what << ": left to libpng";
        }
      }
    }
  }
  // The program's own files.
  std::vector<uint8_t> own;
  ASSERT_TRUE(EncodePng(Varied(278, 60), 0, own));
  EXPECT_TRUE(ExpectSameAsLibpng(decoder, own, "own thumbnail"));
}

TEST(QuickPng, OtherKindsAreLeftToLibpng) {
  std::vector<fs::path> files;
  std::error_code error;
  for (const char* folder : {"src/libpng/contrib/pngsuite", "src/libpng/contrib/testpngs"}) {
    for (const auto& entry : fs::recursive_directory_iterator(DepsDir() / folder, error)) {
      if (entry.path().extension() == ".png") files.push_back(entry.path());
    }
  }
  if (files.empty()) GTEST_SKIP() << "libpng's test pictures are missing; run scripts/bootstrap";
  std::sort(files.begin(), files.end());
  QuickPngDecoder decoder;
  int taken = 0;
  for (const fs::path& path : files) {
    const std::vector<uint8_t> file = ReadBytes(path);
    const bool tookIt = ExpectSameAsLibpng(decoder, file, path.filename().string());
    // Only 8-bit RGB pictures without interlace (a palette chunk aside) are for the quick path.
    const bool simple = file.size() > 28 && file[24] == 8 && file[25] == 2 && file[28] == 0;
    if (!simple) {
      EXPECT_FALSE(tookIt) << path;
    }
    taken += tookIt ? 1 : 0;
  }
  EXPECT_GT(taken, 0);
}

TEST(QuickPng, DamagedFilesGetLibpngsAnswer) {
  const PixelImage image = Varied(278, 60);
  const std::vector<std::vector<uint8_t>> seeds = {LibpngRgb(image, PNG_ALL_FILTERS, 8192),
                                                   LibpngRgb(image, PNG_FILTER_NONE, 1000),
                                                   LibpngRgb(Varied(5, 4), PNG_FILTER_PAETH, 9)};
  QuickPngDecoder decoder;
  std::mt19937 random(20261207);
  for (int i = 0; i < 1500; ++i) {
    std::vector<uint8_t> file = seeds[static_cast<size_t>(i) % seeds.size()];
    std::vector<PngChunk> chunks = PngChunks(file);
    switch (random() % 6) {
      case 0:  // raw flips, most caught by a checksum
        file[8 + random() % (file.size() - 8)] ^= static_cast<uint8_t>(1u << (random() % 8));
        break;
      case 1: {  // a flip with the checksum made right again
        PngChunk& chunk = chunks[random() % chunks.size()];
        if (!chunk.data.empty()) chunk.data[random() % chunk.data.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
        file = BuildPng(chunks);
        break;
      }
      case 2:  // cut off anywhere
        file.resize(random() % (file.size() + 1));
        break;
      case 3: {  // a chunk of another type put in anywhere after the header
        const char* types[] = {"tEXt", "PLTE", "IEND", "IDAT", "abcd", "ABCD", "tRNS"};
        const PngChunk extra{types[random() % 7], std::vector<uint8_t>(random() % 8, 0x41)};
        chunks.insert(chunks.begin() + 1 + static_cast<long>(random() % chunks.size()), extra);
        file = BuildPng(chunks);
        break;
      }
      case 4: {  // bytes added to or dropped from the end of an IDAT chunk
        for (PngChunk& chunk : chunks) {
          if (chunk.type != "IDAT" || random() % 2 == 0) continue;
          if (random() % 2 && !chunk.data.empty()) {
            chunk.data.pop_back();
          } else {
            chunk.data.push_back(static_cast<uint8_t>(random()));
          }
          break;
        }
        file = BuildPng(chunks);
        break;
      }
      default: {  // the end chunk gone, or a damaged checksum on an ancillary chunk
        if (random() % 2) {
          chunks.pop_back();
          file = BuildPng(chunks);
        } else {
          chunks.insert(chunks.begin() + 1, PngChunk{"tEXt", {'a', 0, 'b'}});
          file = BuildPng(chunks);
          file[8 + 25 + 8 + 3] ^= 0xFF;
        }
      }
    }
    ExpectSameAsLibpng(decoder, file, "mutation " + std::to_string(i));
    if (HasFailure()) return;
  }
}

// Asked for a thumbnail, both paths take 278 × 60 and refuse any other size by the header alone:
// a header of a huge picture costs no memory, and the decoder's work memory stays small.
TEST(QuickPng, RequiredSizeIsCheckedBeforeAnythingIsAllocated) {
  const RequiredSize thumbnail{278, 60};
  QuickPngDecoder decoder;
  PixelImage image;
  for (const auto& [width, height] : {std::pair{279, 60}, std::pair{278, 61}, std::pair{277, 60}}) {
    const std::vector<uint8_t> other = LibpngRgb(Varied(width, height), PNG_FILTER_NONE, 8192);
    EXPECT_EQ(DecodePngQuickly(decoder, other.data(), other.size(), image, thumbnail), DecodeStatus::WrongSize);
    EXPECT_EQ(DecodePng(other.data(), other.size(), image, thumbnail), DecodeStatus::WrongSize);
    EXPECT_TRUE(image.pixels.empty());
  }
  const std::vector<uint8_t> own = LibpngRgb(Varied(278, 60), PNG_FILTER_NONE, 8192);
  ASSERT_EQ(DecodePngQuickly(decoder, own.data(), own.size(), image, thumbnail), DecodeStatus::Ok);
  EXPECT_EQ(image.width, 278);

  // 16384 × 16384 passes the budget, and 800 KB of data could inflate to its 805 MB of rows.
  std::vector<PngChunk> chunks = PngChunks(own);
  std::vector<uint8_t> header;
  PutBigEndian32(header, 16384);
  PutBigEndian32(header, 16384);
  header.insert(header.end(), chunks[0].data.begin() + 8, chunks[0].data.end());
  chunks[0].data = header;
  chunks[1].data.resize(800000, 0x55);
  const std::vector<uint8_t> huge = BuildPng(chunks);
  EXPECT_EQ(decoder.Decode(huge.data(), huge.size(), image, thumbnail), DecodeStatus::WrongSize);
  EXPECT_EQ(DecodePng(huge.data(), huge.size(), image, thumbnail), DecodeStatus::WrongSize);
  EXPECT_EQ(CheckPngStart(huge.data(), 24, thumbnail), DecodeStatus::WrongSize);
  EXPECT_EQ(CheckPngStart(own.data(), 24, thumbnail), DecodeStatus::Ok);
  EXPECT_LE(decoder.ScratchBytes(), QuickPngDecoder::KeptScratchBytes);
}

// After a large picture the decoder lets its work memory go, and still reads the next file.
TEST(QuickPng, WorkMemoryReturnsToItsUsualSize) {
  QuickPngDecoder decoder;
  const std::vector<uint8_t> large = LibpngRgb(Varied(1500, 1000), PNG_FILTER_SUB, 1 << 20);
  PixelImage image;
  ASSERT_EQ(decoder.Decode(large.data(), large.size(), image), DecodeStatus::Ok);
  EXPECT_LE(decoder.ScratchBytes(), QuickPngDecoder::KeptScratchBytes);
  const std::vector<uint8_t> small = LibpngRgb(Varied(278, 60), PNG_FILTER_PAETH, 8192);
  EXPECT_TRUE(ExpectSameAsLibpng(decoder, small, "after a large picture"));
  EXPECT_GT(decoder.ScratchBytes(), 0u);
}

}  // namespace

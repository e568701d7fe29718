// Image services under the real GDI: loading by content, saving through display bitmaps, numbering.
#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "exchange/image/images_win.h"

namespace {

class ImageFiles : public testing::Test {
 protected:
  void SetUp() override {
    InitImageServices();
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "kepsil-images-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::string& file : written_) DeleteFileA(file.c_str());
    RemoveDirectoryA(folder_.c_str());
    FreeAllImages();
  }

  std::string PathOf(const std::string& name) {
    written_.push_back(folder_ + name);
    return folder_ + name;
  }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = PathOf(name);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD wrote = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(file);
    return path;
  }

  static std::vector<uint8_t> Read(const std::string& path) {
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
  }

  std::string folder_;
  std::vector<std::string> written_;
};

PixelImage Pattern(int width, int height) {
  PixelImage image;
  AllocatePixelImage(image, width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = image.Row(y) + x * 3;
      p[0] = static_cast<uint8_t>(x * 7 + y);
      p[1] = static_cast<uint8_t>(y * 5 + 40);
      p[2] = static_cast<uint8_t>(200 - x - 3 * y);
    }
  }
  return image;
}

// Gentle slopes in every channel: what JPEG's chroma subsampling keeps well.
PixelImage Smooth(int width, int height) {
  PixelImage image;
  AllocatePixelImage(image, width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = image.Row(y) + x * 3;
      p[0] = static_cast<uint8_t>(40 + 2 * x);
      p[1] = static_cast<uint8_t>(60 + 3 * y);
      p[2] = static_cast<uint8_t>(200 - 2 * x - y);
    }
  }
  return image;
}

int DisplayDepth() {
  HDC screen = GetDC(nullptr);
  const int depth = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  return depth;
}

std::vector<uint8_t> Encoded(const PixelImage& image, ImageEncoding encoding) {
  std::vector<uint8_t> out;
  FindImageEncoder(Codecs, encoding)->encode(image, 10, out);
  return out;
}

// Largest sample difference between an image's bitmap and the expected pixels; -1 when the
// sizes differ or the bitmap cannot be read.
int Difference(int image, const PixelImage& expected) {
  PixelImage actual;
  if (!ReadImagePixels(image, actual) || actual.width != expected.width || actual.height != expected.height) return -1;
  int largest = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int i = 0; i < expected.width * 3; ++i) largest = std::max(largest, std::abs(actual.Row(y)[i] - expected.Row(y)[i]));
  }
  return largest;
}

// A 16 × 16 icon file with one 32-bit opaque image: left half red, right half blue.
std::vector<uint8_t> IconFile() {
  std::vector<uint8_t> file;
  auto put = [&](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  const uint32_t imageSize = 40 + 16 * 16 * 4 + 16 * 4;
  put(0, 2), put(1, 2), put(1, 2);                  // ICONDIR: icon, one image
  put(16, 1), put(16, 1), put(0, 1), put(0, 1);     // 16 × 16, no palette
  put(1, 2), put(32, 2), put(imageSize, 4), put(22, 4);
  put(40, 4), put(16, 4), put(32, 4), put(1, 2), put(32, 2), put(0, 4), put(0, 4);
  put(0, 4), put(0, 4), put(0, 4), put(0, 4);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) put(x < 8 ? 0xFFFF0000u : 0xFF0000FFu, 4);
  }
  for (int y = 0; y < 16; ++y) put(0, 4);  // AND mask: all opaque
  return file;
}

// An 8-bit palette PNG of 3 × 2 pixels using palette entries 0, 1 and 2.
std::vector<uint8_t> PalettePng() {
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<uint8_t>(data.size() >> shift));
    const size_t typeAt = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    const uLong crc = crc32(0, &file[typeAt], static_cast<uInt>(4 + data.size()));
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<uint8_t>(crc >> shift));
  };
  chunk("IHDR", {0, 0, 0, 3, 0, 0, 0, 2, 8, 3, 0, 0, 0});
  chunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255});
  const uint8_t raw[] = {0, 0, 1, 2, 0, 2, 1, 0};
  std::vector<uint8_t> idat(64);
  uLongf size = idat.size();
  compress(idat.data(), &size, raw, sizeof raw);
  idat.resize(size);
  chunk("IDAT", idat);
  chunk("IEND", {});
  return file;
}

TEST_F(ImageFiles, PngJpegBmpAndIconLoadWithTheirSizesAndPixels) {
  const PixelImage picture = Pattern(37, 23);
  const int png = LoadImageFile(Write("picture.png", Encoded(picture, ImageEncoding::Png)));
  const int bmp = LoadImageFile(Write("picture.bmp", Encoded(picture, ImageEncoding::Bmp)));
  const PixelImage smooth = Smooth(37, 23);
  const int jpeg = LoadImageFile(Write("picture.jpg", Encoded(smooth, ImageEncoding::Jpeg)));
  for (int image : {png, bmp, jpeg}) {
    ASSERT_NE(image, 0);
    EXPECT_EQ(WidthOfImage(image), 37);
    EXPECT_EQ(HeightOfImage(image), 23);
    EXPECT_FALSE(ImageIsIcon(image));
  }
  EXPECT_EQ(Difference(png, picture), 0);
  EXPECT_EQ(Difference(bmp, picture), 0);
  // Quality 100 quantises by 1; what remains is rounding and chroma subsampling of gentle slopes.
  EXPECT_LE(Difference(jpeg, smooth), 4);
  EXPECT_GE(Difference(jpeg, smooth), 0);
  // Decoded pictures take the display's depth.
  EXPECT_EQ(DepthOfImage(png), DisplayDepth());

  const int icon = LoadImageFile(Write("icon.ico", IconFile()));
  ASSERT_NE(icon, 0);
  EXPECT_TRUE(ImageIsIcon(icon));
  EXPECT_EQ(WidthOfImage(icon), 16);
  EXPECT_EQ(HeightOfImage(icon), 16);
  PixelImage drawn;
  ASSERT_TRUE(ReadImagePixels(icon, drawn));
  EXPECT_EQ(drawn.Row(3)[0 * 3 + 2], 255);  // red on the left
  EXPECT_EQ(drawn.Row(3)[0 * 3 + 0], 0);
  EXPECT_EQ(drawn.Row(3)[12 * 3 + 0], 255);  // blue on the right
  EXPECT_EQ(drawn.Row(3)[12 * 3 + 2], 0);
}

TEST_F(ImageFiles, ContentDecidesNotTheExtension) {
  const PixelImage picture = Pattern(9, 5);
  const int pngAsBmp = LoadImageFile(Write("png-inside.bmp", Encoded(picture, ImageEncoding::Png)));
  ASSERT_NE(pngAsBmp, 0);
  EXPECT_EQ(Difference(pngAsBmp, picture), 0);
  const int bmpAsPng = LoadImageFile(Write("bmp-inside.png", Encoded(picture, ImageEncoding::Bmp)));
  ASSERT_NE(bmpAsPng, 0);
  EXPECT_EQ(Difference(bmpAsPng, picture), 0);

  // "BM" followed by PNG data is a broken bitmap, not a PNG.
  std::vector<uint8_t> fake = {'B', 'M'};
  const std::vector<uint8_t> png = Encoded(picture, ImageEncoding::Png);
  fake.insert(fake.end(), png.begin(), png.end());
  EXPECT_EQ(LoadImageFile(Write("fake.bmp", fake)), 0);
  std::vector<uint8_t> truncated = Encoded(picture, ImageEncoding::Bmp);
  truncated.resize(30);
  EXPECT_EQ(LoadImageFile(Write("short.bmp", truncated)), 0);

  EXPECT_EQ(LoadImageFile(Write("empty.png", {})), 0);
  EXPECT_EQ(LoadImageFile(Write("text.png", {'h', 'e', 'l', 'l', 'o'})), 0);
  EXPECT_EQ(LoadImageFile(folder_ + "missing.png"), 0);
  EXPECT_EQ(Imaging.images.size(), 2u);  // failed loads leave no image behind
}

TEST_F(ImageFiles, SaveRoundTripsThroughTheBitmapInAllEncodings) {
  const PixelImage picture = Pattern(37, 23);
  const int image = ImageFromPixels(-1, picture);
  ASSERT_NE(image, 0);
  const PixelImage smooth = Smooth(37, 23);
  const int smoothImage = ImageFromPixels(-1, smooth);
  ASSERT_NE(smoothImage, 0);
  const std::string bmpPath = PathOf("saved.bmp");
  const std::string pngPath = PathOf("saved.png");
  const std::string jpegPath = PathOf("saved.jpg");
  ASSERT_EQ(SaveImageFile(image, bmpPath, ImageEncoding::Bmp), 1);
  ASSERT_EQ(SaveImageFile(image, pngPath, ImageEncoding::Png), 1);
  ASSERT_EQ(SaveImageFile(smoothImage, jpegPath, ImageEncoding::Jpeg, 10), 1);

  const std::vector<uint8_t> bmp = Read(bmpPath);
  EXPECT_EQ(bmp.size(), 54u + 23u * RowSize(37));
  EXPECT_TRUE(IsPngFile(Read(pngPath).data(), Read(pngPath).size()));
  EXPECT_TRUE(IsJpegFile(Read(jpegPath).data(), Read(jpegPath).size()));

  EXPECT_EQ(Difference(LoadImageFile(bmpPath), picture), 0);
  EXPECT_EQ(Difference(LoadImageFile(pngPath), picture), 0);
  const int jpeg = LoadImageFile(jpegPath);
  EXPECT_GE(Difference(jpeg, smooth), 0);
  EXPECT_LE(Difference(jpeg, smooth), 4);

  // Saving replaces an existing file.
  ASSERT_EQ(SaveImageFile(NewImage(-1, 2, 2), bmpPath, ImageEncoding::Bmp), 1);
  EXPECT_EQ(Read(bmpPath).size(), 54u + 2u * RowSize(2));
}

TEST_F(ImageFiles, PalettePngSavesAsTwentyFourBitBmp) {
  const int image = LoadImageFile(Write("palette.png", PalettePng()));
  ASSERT_NE(image, 0);
  EXPECT_EQ(WidthOfImage(image), 3);
  const std::string path = PathOf("palette.bmp");
  ASSERT_EQ(SaveImageFile(image, path, ImageEncoding::Bmp), 1);
  const std::vector<uint8_t> bmp = Read(path);
  ASSERT_EQ(bmp.size(), 54u + 2u * RowSize(3));
  EXPECT_EQ(bmp[28], 24);  // bits per pixel
  EXPECT_EQ(bmp[30], 0);   // no compression
  // Bottom row first: blue, green, red.
  const uint8_t bottom[] = {255, 0, 0, 0, 255, 0, 0, 0, 255};
  EXPECT_TRUE(std::equal(bottom, bottom + 9, bmp.begin() + 54));
}

TEST_F(ImageFiles, SaveFailsWithoutImageOrWritablePath) {
  const int image = NewImage(-1, 4, 4);
  ASSERT_NE(image, 0);
  EXPECT_EQ(SaveImageFile(0, PathOf("none.bmp"), ImageEncoding::Bmp), 0);
  EXPECT_EQ(SaveImageFile(image + 100, PathOf("none.bmp"), ImageEncoding::Png), 0);
  EXPECT_EQ(SaveImageFile(image, "", ImageEncoding::Png), 0);
  const std::string unreachable = folder_ + "no-such-folder\\picture.png";
  EXPECT_EQ(SaveImageFile(image, unreachable, ImageEncoding::Png), 0);
  EXPECT_EQ(GetFileAttributesA(unreachable.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA((folder_ + "none.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ImageFiles, NumbersAndNewImages) {
  const int first = NewImage(-1, 5, 3);
  const int second = NewImage(-1, 7, 2);
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(DepthOfImage(first), DisplayDepth());
  EXPECT_EQ(Difference(first, [] {
              PixelImage black;
              AllocatePixelImage(black, 5, 3);
              return black;
            }()),
            0);

  // An explicit number replaces the image it held.
  EXPECT_EQ(NewImage(first, 9, 9), first);
  EXPECT_EQ(WidthOfImage(first), 9);
  DisposeImage(first);
  EXPECT_FALSE(ImageExists(first));
  EXPECT_EQ(ImageBitmap(first), nullptr);
  EXPECT_EQ(WidthOfImage(first), 0);
  DisposeImage(first);  // twice is harmless
  EXPECT_TRUE(ImageExists(second));

  EXPECT_EQ(NewImage(-1, 0, 5), 0);
  EXPECT_EQ(NewImage(-1, 32768, 1), 0);
  EXPECT_EQ(NewImage(0, 4, 4), 0);
  EXPECT_NE(NewImage(-1, 32767, 1), 0);
}

}  // namespace

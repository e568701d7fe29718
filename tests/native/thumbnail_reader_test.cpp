// Reading thumbnails, one at a time and ahead of the list on helper threads: every file that is
// not a decodable thumbnail of the size is left to the caller.
#include <chrono>
#include <cstdint>
#include <thread>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/thumbnail_prefetch.h"
#include "store/thumbnail_reader.h"
#include "exchange/image/image_codecs.h"
#include "tests/native/native_test_files.h"

namespace {

constexpr int kWidth = 278;
constexpr int kHeight = 60;

PixelImage Picture(int width, int height, int seed) {
  PixelImage image;
  AllocatePixelImage(image, width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = image.Row(y) + x * 3;
      p[0] = static_cast<uint8_t>(x + seed);
      p[1] = static_cast<uint8_t>(y * 3 + seed * 7);
      p[2] = static_cast<uint8_t>(seed * 31);
    }
  }
  return image;
}

std::vector<uint8_t> Png(const PixelImage& image) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(EncodePng(image, 0, bytes));
  return bytes;
}

// Every fifth file is something the reader must leave alone, in turn: a bitmap, a picture of
// another size, a cut PNG, a missing file and a file of text.
std::vector<std::string> MixedFolder(const TempFolder& folder, int count) {
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    const std::string path = folder.File("item" + std::to_string(i) + ".clt");
    paths.push_back(path);
    if (i % 5 != 4) {
      TempFolder::Write(path, Png(Picture(kWidth, kHeight, i)));
      continue;
    }
    std::vector<uint8_t> bytes;
    switch ((i / 5) % 5) {
      case 0: EncodeBmp(Picture(kWidth, kHeight, i), 0, bytes); break;
      case 1: bytes = Png(Picture(kWidth, kHeight + 1, i)); break;
      case 2: bytes = Png(Picture(kWidth, kHeight, i)), bytes.resize(bytes.size() / 2); break;
      case 3: continue;
      default: bytes = {'n', 'o', 't', 'e', 's'}; break;
    }
    TempFolder::Write(path, bytes);
  }
  return paths;
}

TEST(ThumbnailFile, OnlyDecodablePicturesOfTheSizeAreRead) {
  TempFolder folder;
  const std::vector<std::string> paths = MixedFolder(folder, 25);
  PixelImage pixels;
  ASSERT_TRUE(ReadThumbnailFile(paths[0], kWidth, kHeight, pixels));
  EXPECT_EQ(pixels.pixels, Picture(kWidth, kHeight, 0).pixels);
  // Bitmap, other size, cut PNG, missing file, text.
  for (int i : {4, 9, 14, 19, 24}) {
    EXPECT_FALSE(ReadThumbnailFile(paths[static_cast<size_t>(i)], kWidth, kHeight, pixels)) << i;
    EXPECT_TRUE(pixels.pixels.empty()) << i;
  }

  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(Picture(kWidth, kHeight, 3), 10, jpeg));
  TempFolder::Write(folder.File("photo.clt"), jpeg);
  EXPECT_TRUE(ReadThumbnailFile(folder.File("photo.clt"), kWidth, kHeight, pixels));
  EXPECT_EQ(pixels.width, kWidth);
}

}  // namespace

namespace {

// Takes the item's thumbnail once a helper has decoded it; false after 10 s.
bool TakeWhenReady(ThumbnailPrefetch& prefetch, const std::string& name, PixelImage& pixels) {
  for (int i = 0; i < 1000; ++i) {
    if (prefetch.Take(name, pixels)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(ThumbnailPrefetch, DecodesWhatIsWantedKeepsTheNewestFewAndDropsWhatWent) {
  TempFolder folder;
  const std::vector<std::string> paths = MixedFolder(folder, 10);
  const auto wanted = [&](int first, int last) {
    std::vector<ThumbnailPrefetch::Wanted> items;
    for (int i = first; i <= last; ++i) items.push_back({"item" + std::to_string(i), paths[static_cast<size_t>(i)]});
    return items;
  };
  // One helper decodes in the order asked, so the cache's content is known.
  ThumbnailPrefetch prefetch(kWidth, kHeight, 4, 1);
  prefetch.Want(wanted(0, 5));
  PixelImage pixels;
  ASSERT_TRUE(TakeWhenReady(prefetch, "item5", pixels));
  PixelImage expected;
  ASSERT_TRUE(ReadThumbnailFile(paths[3], kWidth, kHeight, expected));
  ASSERT_TRUE(prefetch.Take("item3", pixels));
  EXPECT_EQ(pixels.pixels, expected.pixels);
  // Only the newest four were kept; the file that is no thumbnail is left to the caller.
  EXPECT_FALSE(prefetch.Take("item0", pixels));
  EXPECT_FALSE(prefetch.Take("item4", pixels));
  EXPECT_TRUE(prefetch.Take("item2", pixels));

  // An item that went is never handed out, whether it was waiting or being decoded.
  prefetch.Want(wanted(6, 7));
  prefetch.Forget("item6");
  ASSERT_TRUE(TakeWhenReady(prefetch, "item7", pixels));
  EXPECT_FALSE(prefetch.Take("item6", pixels));
  EXPECT_EQ(prefetch.Cached(), 0u);
}

}  // namespace

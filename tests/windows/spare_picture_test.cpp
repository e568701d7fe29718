// The spare pixels made ahead for the next capture: a spare is only ever handed out for its own
// size, and one nobody takes is let go.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "exchange/image/images_win.h"
#include "exchange/image/pixel_image.h"
#include "store/spare_picture_win.h"

namespace {

using namespace std::chrono_literals;

std::vector<uint32_t> PixelsOf(HBITMAP bitmap, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  BITMAPINFO info = TopDownHeader32(width, height);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != height) pixels.clear();
  return pixels;
}

// Waits up to `bound` for the condition; true when it came.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds bound = 10s) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Sleep(5);
  }
  return true;
}

TEST(PicturePixels, SizesOutsideTheLimitsMakeNothing) {
  PicturePixels picture;
  for (auto [width, height] : {std::pair{0, 10}, {10, 0}, {-5, 10}, {MaxImageSide + 1, 1}, {1, MaxImageSide + 1}}) {
    EXPECT_FALSE(MakePicturePixels(width, height, picture)) << width << "x" << height;
    EXPECT_EQ(picture.bitmap, nullptr);
  }
}

TEST(SparePictureMaker, HandsOutASpareOnlyForItsOwnSize) {
  SparePictureMaker maker(60s, 0ms);
  PicturePixels picture;
  EXPECT_FALSE(maker.Take(64, 48, picture)) << "nothing asked for yet";
  maker.Prepare(64, 48);
  ASSERT_TRUE(WaitFor([&] { return maker.HasSpare(); }));
  EXPECT_FALSE(maker.Take(48, 64, picture));
  EXPECT_FALSE(maker.Take(64, 47, picture));
  EXPECT_EQ(picture.bitmap, nullptr);
  EXPECT_TRUE(maker.HasSpare()) << "a wrong size leaves the spare for the right one";

  ASSERT_TRUE(maker.Take(64, 48, picture));
  EXPECT_FALSE(maker.HasSpare());
  EXPECT_FALSE(maker.Take(64, 48, picture)) << "a spare is handed out once";
  ASSERT_NE(picture.bitmap, nullptr);
  EXPECT_EQ(picture.width, 64);
  EXPECT_EQ(picture.height, 48);
  static_cast<uint32_t*>(picture.bits)[64 * 48 - 1] = 0x00ABCDEFu;
  GdiFlush();
  EXPECT_EQ(PixelsOf(picture.bitmap, 64, 48).back(), 0x00ABCDEFu);
  DeletePicturePixels(picture);
}

TEST(SparePictureMaker, TheLatestSizeAskedForIsMade) {
  SparePictureMaker maker(60s, 0ms);
  maker.Prepare(40, 30);
  ASSERT_TRUE(WaitFor([&] { return maker.HasSpare(); }));
  maker.Prepare(30, 40);
  PicturePixels picture;
  ASSERT_TRUE(WaitFor([&] { return maker.Take(30, 40, picture); }));
  EXPECT_FALSE(maker.Take(40, 30, picture)) << "the spare of the older size went";
  DeletePicturePixels(picture);

  // Taken, it is made again when the next capture asks.
  maker.Prepare(30, 40);
  ASSERT_TRUE(WaitFor([&] { return maker.Take(30, 40, picture); }));
  DeletePicturePixels(picture);
}

TEST(SparePictureMaker, ASpareNobodyTakesIsLetGoAndMadeAgainWhenAsked) {
  constexpr auto keep = 300ms;
  SparePictureMaker maker(keep, 0ms);
  // Counted from the request: the moment the spare is seen ready may come late on a busy machine.
  const auto asked = std::chrono::steady_clock::now();
  maker.Prepare(20, 20);
  ASSERT_TRUE(WaitFor([&] { return maker.HasSpare(); }));
  ASSERT_TRUE(WaitFor([&] { return !maker.HasSpare(); }));
  EXPECT_GE(std::chrono::steady_clock::now() - asked, keep - 50ms) << "kept for a while first";

  PicturePixels picture;
  EXPECT_FALSE(maker.Take(20, 20, picture));
  maker.Prepare(20, 20);
  ASSERT_TRUE(WaitFor([&] { return maker.Take(20, 20, picture); }));
  DeletePicturePixels(picture);
}

TEST(SparePictureMaker, EndsAtOnceWhileASpareIsKeptOrWaitingToBeMade) {
  const auto start = std::chrono::steady_clock::now();
  {
    SparePictureMaker maker(60s, 0ms);
    maker.Prepare(200, 100);
    ASSERT_TRUE(WaitFor([&] { return maker.HasSpare(); }));
  }
  {
    SparePictureMaker maker(60s, 60s);
    maker.Prepare(200, 100);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "neither the keeping nor the delay is waited out";
}

}  // namespace

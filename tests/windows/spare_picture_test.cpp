// Shared pictures and the spare made ahead for the next capture: both bitmaps show the same
// pixels, a spare is only ever handed out for its own size, and one nobody takes is let go.
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

TEST(SharedPicture, BothBitmapsShowTheSamePixels) {
  SharedPicture picture;
  ASSERT_TRUE(MakeSharedPicture(33, 7, picture));
  EXPECT_EQ(picture.width, 33);
  EXPECT_EQ(picture.height, 7);
  auto* bits = static_cast<uint32_t*>(picture.bits);
  EXPECT_EQ(bits[0], 0u) << "fresh pixels are black";
  for (int i = 0; i < 33 * 7; ++i) bits[i] = 0x00102030u + static_cast<uint32_t>(i);
  GdiFlush();
  const std::vector<uint32_t> offered = PixelsOf(picture.offered, 33, 7);
  ASSERT_EQ(offered.size(), 33u * 7u);
  EXPECT_EQ(offered.front(), 0x00102030u) << "top row first";
  EXPECT_EQ(offered.back(), 0x00102030u + 33 * 7 - 1);

  // The offered bitmap keeps the memory after the item's is gone.
  DeleteObject(picture.item);
  picture.item = nullptr;
  EXPECT_EQ(PixelsOf(picture.offered, 33, 7), offered);
  DeleteSharedPicture(picture);
  EXPECT_EQ(picture.offered, nullptr);
}

TEST(SharedPicture, SizesOutsideTheLimitsMakeNothing) {
  SharedPicture picture;
  for (auto [width, height] : {std::pair{0, 10}, {10, 0}, {-5, 10}, {MaxImageSide + 1, 1}, {1, MaxImageSide + 1}}) {
    EXPECT_FALSE(MakeSharedPicture(width, height, picture)) << width << "x" << height;
    EXPECT_EQ(picture.item, nullptr);
    EXPECT_EQ(picture.offered, nullptr);
  }
}

TEST(SparePictureMaker, HandsOutASpareOnlyForItsOwnSize) {
  SparePictureMaker maker(60s, 0ms);
  SharedPicture picture;
  EXPECT_FALSE(maker.Take(64, 48, picture)) << "nothing asked for yet";
  maker.Prepare(64, 48);
  ASSERT_TRUE(WaitFor([&] { return maker.HasSpare(); }));
  EXPECT_FALSE(maker.Take(48, 64, picture));
  EXPECT_FALSE(maker.Take(64, 47, picture));
  EXPECT_EQ(picture.item, nullptr);
  EXPECT_TRUE(maker.HasSpare()) << "a wrong size leaves the spare for the right one";

  ASSERT_TRUE(maker.Take(64, 48, picture));
  EXPECT_FALSE(maker.HasSpare());
  EXPECT_FALSE(maker.Take(64, 48, picture)) << "a spare is handed out once";
  ASSERT_NE(picture.item, nullptr);
  ASSERT_NE(picture.offered, nullptr);
  EXPECT_EQ(picture.width, 64);
  EXPECT_EQ(picture.height, 48);
  static_cast<uint32_t*>(picture.bits)[64 * 48 - 1] = 0x00ABCDEFu;
  GdiFlush();
  EXPECT_EQ(PixelsOf(picture.offered, 64, 48).back(), 0x00ABCDEFu);
  DeleteSharedPicture(picture);
}

TEST(SparePictureMaker, TheLatestSizeAskedForIsMade) {
  SparePictureMaker maker(60s, 0ms);
  maker.Prepare(40, 30);
  ASSERT_TRUE(WaitFor([&] { return maker.HasSpare(); }));
  maker.Prepare(30, 40);
  SharedPicture picture;
  ASSERT_TRUE(WaitFor([&] { return maker.Take(30, 40, picture); }));
  EXPECT_FALSE(maker.Take(40, 30, picture)) << "the spare of the older size went";
  DeleteSharedPicture(picture);

  // Taken, it is made again when the next capture asks.
  maker.Prepare(30, 40);
  ASSERT_TRUE(WaitFor([&] { return maker.Take(30, 40, picture); }));
  DeleteSharedPicture(picture);
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

  SharedPicture picture;
  EXPECT_FALSE(maker.Take(20, 20, picture));
  maker.Prepare(20, 20);
  ASSERT_TRUE(WaitFor([&] { return maker.Take(20, 20, picture); }));
  DeleteSharedPicture(picture);
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

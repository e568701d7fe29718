// A captured bitmap is copied off the clipboard: the copy is the capture's own, in memory made ahead
// or fresh, and the clipboard keeps the bitmap as its owner put it.
#include <windows.h>

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "exchange/image/images_win.h"
#include "store/clipboard_picture_win.h"
#include "store/spare_picture_win.h"

namespace {

using Pixels = std::vector<uint32_t>;

Pixels Pattern(int width, int height, uint32_t seed) {
  Pixels pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels[static_cast<size_t>(y) * width + x] = (seed * 2654435761u + x * 40503u + y * 9973u) & 0xFFFFFFu;
    }
  }
  return pixels;
}

// A display-format bitmap, as other programs put on the clipboard.
HBITMAP BitmapOf(const Pixels& pixels, int width, int height) {
  BITMAPINFO info = TopDownHeader32(width, height);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  SetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

// The colours of a bitmap, top row first; empty when it cannot be read.
Pixels PixelsOf(HBITMAP bitmap) {
  BITMAP size{};
  if (!bitmap || !GetObjectA(bitmap, sizeof size, &size)) return {};
  Pixels pixels(static_cast<size_t>(size.bmWidth) * size.bmHeight);
  BITMAPINFO info = TopDownHeader32(size.bmWidth, size.bmHeight);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, size.bmHeight, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != size.bmHeight) return {};
  for (uint32_t& pixel : pixels) pixel &= 0xFFFFFFu;
  return pixels;
}

// Retries for a long while: Wine's own clipboard bridge may hold the clipboard after a change.
bool OpenClipboardFor(HWND window) {
  for (int attempt = 0; attempt < 5000; ++attempt) {
    if (OpenClipboard(window)) return true;
    Sleep(2);
  }
  return false;
}

// Another program copies a bitmap.
void CopyElsewhere(const Pixels& pixels, int width, int height) {
  HBITMAP bitmap = BitmapOf(pixels, width, height);
  ASSERT_TRUE(OpenClipboardFor(nullptr));
  EmptyClipboard();
  if (!SetClipboardData(CF_BITMAP, bitmap)) DeleteObject(bitmap);
  CloseClipboard();
}

// The pixels of the clipboard's CF_BITMAP, as another program pastes them.
Pixels PasteElsewhere() {
  if (!OpenClipboardFor(nullptr)) return {};
  Pixels pixels = PixelsOf(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
  CloseClipboard();
  return pixels;
}

// Waits a while for the spare made after a capture; true when it is there.
bool SpareReady() {
  for (int wait = 0; wait < 2000 && !SparePictures.HasSpare(); ++wait) Sleep(5);
  return SparePictures.HasSpare();
}

class ClipboardPicture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitImageServices(); }
  void TearDown() override {
    for (HBITMAP copy : copies_) DeleteObject(copy);
  }

  // The capture's copy of the clipboard's bitmap, nullptr for none; released after the test.
  HBITMAP CaptureNow() {
    if (!OpenClipboardFor(nullptr)) return nullptr;
    HBITMAP copy = CopyClipboardBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
    CloseClipboard();
    if (copy) copies_.push_back(copy);
    return copy;
  }

 private:
  std::vector<HBITMAP> copies_;
};

// Captures after the first of a size copy into a spare made ahead: each still gets its own pixels,
// a spare of another size is never used for a picture, and the clipboard keeps the original.
TEST_F(ClipboardPicture, CapturesInARowKeepTheirOwnPixelsWhateverTheirSize) {
  const Pixels first = Pattern(160, 120, 11);
  const Pixels second = Pattern(160, 120, 12);
  const Pixels third = Pattern(120, 160, 13);
  const Pixels fourth = Pattern(160, 120, 14);
  CopyElsewhere(first, 160, 120);
  HBITMAP one = CaptureNow();
  ASSERT_NE(one, nullptr);
  ASSERT_TRUE(SpareReady());

  CopyElsewhere(second, 160, 120);
  HBITMAP two = CaptureNow();
  ASSERT_NE(two, nullptr);
  EXPECT_TRUE(PixelsOf((two)) == second);
  EXPECT_TRUE(PasteElsewhere() == second);
  EXPECT_TRUE(PixelsOf((one)) == first) << "the spare is memory of its own";
  ASSERT_TRUE(SpareReady());

  // The spare there is of the other size.
  CopyElsewhere(third, 120, 160);
  HBITMAP three = CaptureNow();
  ASSERT_NE(three, nullptr);
  BITMAP size{};
  ASSERT_TRUE(GetObjectA(three, sizeof size, &size));
  EXPECT_EQ(size.bmWidth, 120);
  EXPECT_EQ(size.bmHeight, 160);
  EXPECT_TRUE(PixelsOf((three)) == third);
  EXPECT_TRUE(PasteElsewhere() == third);

  ASSERT_TRUE(SpareReady());
  CopyElsewhere(fourth, 160, 120);
  HBITMAP four = CaptureNow();
  ASSERT_NE(four, nullptr);
  EXPECT_TRUE(PixelsOf((four)) == fourth);
  EXPECT_TRUE(PasteElsewhere() == fourth);
  EXPECT_TRUE(PixelsOf((two)) == second);
}

}  // namespace

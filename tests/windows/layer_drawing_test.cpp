// Drawing on images: boxes and outlines, text at the moving position, copying and stretching
// bitmaps, point-sized fonts, and releasing the image when drawing ends.
#include <windows.h>

#include <gtest/gtest.h>

#include "exchange/image/images_win.h"
#include "ui/layer/drawing_win.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kGreen = RGB(0, 160, 0);

// Reads a pixel of an image once drawing has ended (its bitmap must be free to select).
COLORREF PixelOf(int image, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, ImageBitmap(image));
  COLORREF pixel = old ? GetPixel(dc, x, y) : CLR_INVALID;
  if (old) SelectObject(dc, old);
  DeleteDC(dc);
  return pixel;
}

class LayerDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    image_ = NewImage(-1, 40, 30);
    ASSERT_NE(image_, 0);
  }
  void TearDown() override {
    EndDrawing();
    DisposeImage(image_);
  }
  int image_ = 0;
};

TEST_F(LayerDrawing, BoxesFilledAndOutlined) {
  ASSERT_NE(BeginDrawing(image_), nullptr);
  DrawBox(3, 4, 1, 1, kRed);  // a 1 x 1 box is one pixel
  DrawBox(10, 10, 6, 6, kGreen);
  SetDrawMode(DrawOutlined);
  DrawBox(20, 10, 6, 6, kRed);
  EndDrawing();

  EXPECT_EQ(PixelOf(image_, 3, 4), kRed);
  for (POINT p : {POINT{2, 4}, POINT{4, 4}, POINT{3, 3}, POINT{3, 5}}) EXPECT_EQ(PixelOf(image_, p.x, p.y), kBlack);
  EXPECT_EQ(PixelOf(image_, 10, 10), kGreen);
  EXPECT_EQ(PixelOf(image_, 15, 15), kGreen);
  EXPECT_EQ(PixelOf(image_, 16, 16), kBlack);  // right and bottom edges are exclusive
  EXPECT_EQ(PixelOf(image_, 20, 12), kRed);
  EXPECT_EQ(PixelOf(image_, 25, 15), kRed);
  EXPECT_EQ(PixelOf(image_, 22, 12), kBlack);  // an outline leaves the inside alone
}

TEST_F(LayerDrawing, TextAdvancesAndKeepsTransparentBackground) {
  HDC dc = BeginDrawing(image_);
  ASSERT_NE(dc, nullptr);
  DrawBox(0, 0, 40, 30, kGreen);
  SetDrawMode(DrawTransparent);
  SetDrawColour(255, 255, 255);
  MoveDrawCursor(2, 2);
  DrawString("");
  POINT at{};
  GetCurrentPositionEx(dc, &at);
  EXPECT_EQ(at.x, 2);
  DrawString("ii");
  GetCurrentPositionEx(dc, &at);
  EXPECT_GT(at.x, 2);
  EndDrawing();
  // Between and around the glyphs the green stays; some pixels of the glyphs are white.
  int white = 0, green = 0;
  for (int y = 2; y < 14; ++y) {
    for (int x = 2; x < 10; ++x) {
      COLORREF pixel = PixelOf(image_, x, y);
      white += pixel == RGB(255, 255, 255);
      green += pixel == kGreen;
    }
  }
  EXPECT_GT(white, 0);
  EXPECT_GT(green, 30);

  // Opaque text fills its cell with the background colour (white by default).
  ASSERT_NE(BeginDrawing(image_), nullptr);
  DrawBox(0, 0, 40, 30, kGreen);
  SetDrawMode(0);
  MoveDrawCursor(20, 2);
  DrawString(".");
  EndDrawing();
  EXPECT_EQ(PixelOf(image_, 20, 2), RGB(255, 255, 255));
}

TEST_F(LayerDrawing, PaintImageCopiesOrStretches) {
  int source = NewImage(-1, 2, 2);
  ASSERT_NE(BeginDrawing(source), nullptr);
  DrawBox(0, 0, 2, 2, kRed);
  EndDrawing();

  ASSERT_NE(BeginDrawing(image_), nullptr);
  PaintImage(ImageBitmap(source), 1, 1, 0, 0);
  PaintImage(ImageBitmap(source), 10, 10, 8, 6);
  EndDrawing();
  EXPECT_EQ(PixelOf(image_, 1, 1), kRed);
  EXPECT_EQ(PixelOf(image_, 2, 2), kRed);
  EXPECT_EQ(PixelOf(image_, 3, 3), kBlack);
  EXPECT_EQ(PixelOf(image_, 17, 15), kRed);
  EXPECT_EQ(PixelOf(image_, 18, 16), kBlack);
  DisposeImage(source);
}

TEST_F(LayerDrawing, PointFontsAndMissingImages) {
  int regular = LoadPointFont("Times New Roman", 20, 0);
  int bold = LoadPointFont("Arial", 12, FontBold);
  ASSERT_NE(regular, 0);
  ASSERT_NE(bold, regular);
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  LOGFONTA font{};
  GetObjectA(FontHandle(regular), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -MulDiv(20, dpi, 72));
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  EXPECT_STREQ(font.lfFaceName, "Times New Roman");
  GetObjectA(FontHandle(bold), sizeof font, &font);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_EQ(FontHandle(12345), nullptr);

  EXPECT_EQ(BeginDrawing(98765), nullptr);
  DrawBox(0, 0, 5, 5, kRed);  // nothing to draw on: no effect, no crash
  EndDrawing();
}

}  // namespace

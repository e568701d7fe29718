// Thumbnails that go into the list a strip at a time: every cell lands in its own slot, in order,
// with its own pixels, and opaque however the list draws it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "exchange/image/images_win.h"
#include "store/item_rows_win.h"
#include "ui/main_window_win.h"

namespace {

PixelImage Cell(int seed) {
  PixelImage image;
  AllocatePixelImage(image, ThumbWidth, ThumbHeight);
  for (int y = 0; y < ThumbHeight; ++y) {
    for (int x = 0; x < ThumbWidth; ++x) {
      uint8_t* p = image.Row(y) + x * 3;
      p[0] = static_cast<uint8_t>(x + seed);
      p[1] = static_cast<uint8_t>(y * 3 + 1);
      p[2] = static_cast<uint8_t>(seed * 40 + 1);
    }
  }
  return image;
}

// A picture of the list drawn over magenta, read back at one point.
COLORREF Drawn(HIMAGELIST list, int slot, UINT style, int x, int y) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, ThumbWidth, ThumbHeight);
  HGDIOBJ old = SelectObject(dc, target);
  HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
  RECT all{0, 0, ThumbWidth, ThumbHeight};
  FillRect(dc, &all, magenta);
  ImageList_Draw(list, slot, dc, 0, 0, style);
  const COLORREF pixel = GetPixel(dc, x, y);
  DeleteObject(magenta);
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixel;
}

TEST(ThumbnailSheet, CellsTakeConsecutiveSlotsOpaqueWithTheirPixels) {
  HIMAGELIST list = NewThumbImageList();
  ASSERT_NE(list, nullptr);
  // Something in the list already: the strip's slots follow it.
  ThumbnailSheet single(1);
  ASSERT_TRUE(single.Paint(0, Cell(9)));
  ASSERT_EQ(single.AddTo(list), 0);

  ThumbnailSheet sheet(3);
  ASSERT_EQ(sheet.Cells(), 3);
  for (int cell = 0; cell < 3; ++cell) ASSERT_TRUE(sheet.Paint(cell, Cell(cell)));
  EXPECT_FALSE(sheet.Paint(3, Cell(3)));
  PixelImage small;
  AllocatePixelImage(small, ThumbWidth - 1, ThumbHeight);
  EXPECT_FALSE(sheet.Paint(0, small));
  ASSERT_EQ(sheet.AddTo(list), 1);
  ASSERT_EQ(ImageList_GetImageCount(list), 4);

  for (int slot = 0; slot < 4; ++slot) {
    const int seed = slot == 0 ? 9 : slot - 1;
    for (POINT at : {POINT{0, 0}, POINT{ThumbWidth - 1, ThumbHeight - 1}, POINT{100, 30}}) {
      const COLORREF expected = RGB(seed * 40 + 1, at.y * 3 + 1, (at.x + seed) & 0xFF);
      for (UINT style : {UINT{ILD_NORMAL}, UINT{ILD_TRANSPARENT}}) {
        EXPECT_EQ(Drawn(list, slot, style, at.x, at.y), expected) << "slot " << slot << " style " << style;
      }
    }
  }
  ImageList_Destroy(list);
}

}  // namespace

#include "ui/item_rows.h"

#include <windows.h>
#include <commctrl.h>

#include "exchange/image/images_win.h"
#include "ui/layer/drawing.h"
#include "ui/main_window.h"

int RowSlot(int row) {
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iImage = -1;
  if (!SendMessageA(Ui.ItemListHandle, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
  return item.iImage;
}

void SetRowSlot(int row, int slot) {
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iImage = slot;
  SendMessageA(Ui.ItemListHandle, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int LoadThumbnailOrBlank(const std::string& path) {
  int image = LoadImageFile(path);
  if (image && (WidthOfImage(image) != ThumbWidth || HeightOfImage(image) != ThumbHeight)) {
    DisposeImage(image);
    image = 0;
  }
  if (image) return image;
  image = NewImage(-1, ThumbWidth, ThumbHeight);
  if (image && BeginDrawing(image)) {
    DrawBox(0, 0, ThumbWidth, ThumbHeight, BackgroundColour);
    EndDrawing();
  }
  return image;
}

ThumbnailCanvas::ThumbnailCanvas() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = ThumbWidth;
  info.bmiHeader.biHeight = -ThumbHeight;  // top row first
  info.bmiHeader.biPlanes = 1;
  // The list's own bitmaps have the display's 32 bits per pixel: copying from the same depth takes
  // half the time of converting from 24.
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = bitmap_ ? static_cast<uint8_t*>(bits) : nullptr;
}

ThumbnailCanvas::~ThumbnailCanvas() {
  if (bitmap_) DeleteObject(bitmap_);
}

bool ThumbnailCanvas::Paint(const PixelImage& pixels) {
  if (!bits_ || pixels.width != ThumbWidth || pixels.height != ThumbHeight ||
      pixels.pixels.size() < static_cast<size_t>(RowSize(ThumbWidth)) * ThumbHeight) {
    return false;
  }
  // The list may still be drawing from the bitmap.
  GdiFlush();
  uint8_t* target = bits_;
  for (int y = 0; y < ThumbHeight; ++y) {
    const uint8_t* source = pixels.Row(y);
    for (int x = 0; x < ThumbWidth; ++x, source += 3, target += 4) {
      target[0] = source[0];
      target[1] = source[1];
      target[2] = source[2];
      target[3] = 0xFF;  // opaque, should anything read the fourth byte as alpha
    }
  }
  return true;
}

bool ThumbnailCanvas::Replace(HIMAGELIST list, int slot, const PixelImage& pixels) {
  return Paint(pixels) && ImageList_Replace(list, slot, bitmap_, nullptr);
}

int ThumbnailCanvas::Add(HIMAGELIST list, const PixelImage& pixels) {
  return Paint(pixels) ? ImageList_Add(list, bitmap_, nullptr) : -1;
}

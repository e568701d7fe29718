#include "store/item_rows_win.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "exchange/image/images_win.h"
#include "ui/layer/drawing_win.h"

HIMAGELIST NewThumbImageList(int capacity) {
  return ImageList_Create(ThumbWidth, ThumbHeight, ILC_COLORDDB | ILC_MASK, capacity, 0);
}

int RowSlot(HWND list, int row) {
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iImage = -1;
  if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
  return item.iImage;
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

int InsertItemRow(HWND list, int row, int slot, bool checked) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = row;
  item.pszText = const_cast<char*>("");
  item.iImage = slot;
  const int made = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  // A list with check boxes gives every new row an empty box, whatever the insertion asks for.
  if (made >= 0 && checked) {
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(2);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(made), reinterpret_cast<LPARAM>(&item));
  }
  return made;
}

ThumbnailSheet::ThumbnailSheet(int cells) : cells_(cells) {
  if (cells < 1 || cells > MaxImageSide / ThumbWidth) return;
  // The list's own bitmaps have the display's 32 bits per pixel: copying from the same depth takes
  // half the time of converting from 24.
  BITMAPINFO info = TopDownHeader32(ThumbWidth * cells, ThumbHeight);
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = bitmap_ ? static_cast<uint8_t*>(bits) : nullptr;
  // Every cell opaque, as a list of masked pictures shows pictures added without a mask. With the
  // mask given, an add takes about two thirds of the time under Wine.
  const size_t maskRowBytes = ((static_cast<size_t>(ThumbWidth) * cells + 15) / 16) * 2;
  const std::vector<uint8_t> opaque(maskRowBytes * ThumbHeight, 0);
  mask_ = CreateBitmap(ThumbWidth * cells, ThumbHeight, 1, 1, opaque.data());
}

ThumbnailSheet::~ThumbnailSheet() {
  if (bitmap_) DeleteObject(bitmap_);
  if (mask_) DeleteObject(mask_);
}

uint8_t* ThumbnailSheet::Cell(int cell, int y) const {
  return bits_ + (static_cast<size_t>(y) * cells_ + static_cast<size_t>(cell)) * ThumbWidth * 4;
}

bool ThumbnailSheet::Paint(int cell, const PixelImage& pixels) {
  if (cell < 0 || cell >= Cells() || pixels.width != ThumbWidth || pixels.height != ThumbHeight ||
      pixels.pixels.size() < static_cast<size_t>(RowSize(ThumbWidth)) * ThumbHeight) {
    return false;
  }
  for (int y = 0; y < ThumbHeight; ++y) {
    const uint8_t* source = pixels.Row(y);
    uint8_t* target = Cell(cell, y);
    for (int x = 0; x < ThumbWidth; ++x, source += 3, target += 4) {
      target[0] = source[0];
      target[1] = source[1];
      target[2] = source[2];
      target[3] = 0xFF;  // opaque, should anything read the fourth byte as alpha
    }
  }
  return true;
}

bool ThumbnailSheet::Draw(int cell, HBITMAP picture) {
  BITMAP header{};
  if (cell < 0 || cell >= Cells() || !picture || !GetObjectA(picture, sizeof header, &header) ||
      header.bmWidth != ThumbWidth || header.bmHeight != ThumbHeight) {
    return false;
  }
  BITMAPINFO info = TopDownHeader32(ThumbWidth, ThumbHeight);
  std::vector<uint8_t> rows(static_cast<size_t>(ThumbWidth) * ThumbHeight * 4);
  HDC screen = GetDC(nullptr);
  const int read = GetDIBits(screen, picture, 0, ThumbHeight, rows.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (read != ThumbHeight) return false;
  for (int y = 0; y < ThumbHeight; ++y) {
    const uint8_t* source = rows.data() + static_cast<size_t>(y) * ThumbWidth * 4;
    uint8_t* target = Cell(cell, y);
    for (int x = 0; x < ThumbWidth; ++x, source += 4, target += 4) {
      target[0] = source[0];
      target[1] = source[1];
      target[2] = source[2];
      target[3] = 0xFF;
    }
  }
  return true;
}

int ThumbnailSheet::AddTo(HIMAGELIST list) {
  if (!Cells()) return -1;
  GdiFlush();  // every cell written before the list reads the bitmap
  return ImageList_Add(list, bitmap_, mask_);
}

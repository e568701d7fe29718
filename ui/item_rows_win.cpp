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
